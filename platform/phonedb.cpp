// (being written)
#include "platform/phonedb.h"
namespace platform {
struct PhoneDb::Impl {};
PhoneDb::PhoneDb() = default;
PhoneDb::~PhoneDb() = default;
std::unique_ptr<PhoneDb> PhoneDb::Open(const std::filesystem::path&, std::string&) {
    return std::unique_ptr<PhoneDb>(new PhoneDb());
}
} // namespace platform
