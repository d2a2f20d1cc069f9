// (being written: the registry on SQLite)
#include "platform/registry.h"
namespace platform {
struct Registry::Impl {};
Registry::Registry() = default;
Registry::~Registry() = default;
std::shared_ptr<Registry> Registry::Open(const std::filesystem::path&, std::string&) {
    return std::shared_ptr<Registry>(new Registry());
}
} // namespace platform
