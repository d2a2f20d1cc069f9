// (being written)
#include "platform/events.h"
namespace platform {
struct EventTable::Impl {};
EventTable::EventTable() = default;
EventTable::~EventTable() = default;
std::shared_ptr<EventTable> EventTable::Open(const std::filesystem::path&, std::string&) { return nullptr; }
void EventTable::Remove(const std::filesystem::path&) {}
} // namespace platform
