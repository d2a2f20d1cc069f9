// A registry path as brenwick-phone's command lines take it, then as the registry itself
// takes it: the input's bytes are UTF-16 code units, low byte first, so that unpaired
// surrogates and every separator come up.
#include "phone/reg_path.h"
#include "platform/registry.h"
#include "temp_dir.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

using platform::RegistryKey;
using platform::RegRoot;
using platform::RegStatus;

class FuzzRegistry {
public:
    FuzzRegistry() {
        std::string error;
        m_registry = platform::Registry::Open(m_temp.Path() / "registry.db", error);
        if (!m_registry)
            std::abort();
    }
    platform::Registry& Get() { return *m_registry; }

private:
    TempDir m_temp;
    std::shared_ptr<platform::Registry> m_registry;
};

// Creates the key and opens it again; removes what was created, so that every input
// starts from an empty store.
void CreateAndOpen(platform::Registry& registry, RegRoot root, std::u16string_view path) {
    RegistryKey key;
    bool existed = false;
    const RegStatus created = registry.CreateKey(root, path, key, existed);
    if (created != RegStatus::Ok && created != RegStatus::InvalidName)
        std::abort();
    RegistryKey again;
    const RegStatus opened = registry.OpenKey(root, path, again);
    if (opened != created)
        std::abort();
    key.Close();
    again.Close();
    std::u16string_view first = path;
    if (first.starts_with(u'\\'))
        first.remove_prefix(1);
    first = first.substr(0, first.find(u'\\'));
    if (created == RegStatus::Ok && !first.empty()) {
        RegistryKey top;
        if (registry.OpenKey(root, u"", top) != RegStatus::Ok ||
            top.DeleteSubKey(first) != RegStatus::Ok)
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FuzzRegistry registry;
    std::u16string text(size / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);

    const auto parsed = phone::ParseRegPath(text);
    if (parsed) {
        // A parsed path is what a dump prints, and reads back the same.
        const auto& path = parsed->path;
        if (path.starts_with(u'\\') || path.ends_with(u'\\') ||
            path.find(u"\\\\") != std::u16string::npos)
            std::abort();
        const auto again = phone::ParseRegPath(phone::DisplayPath(parsed->root, path));
        if (!again || again->root != parsed->root || again->path != path)
            std::abort();
        CreateAndOpen(registry.Get(), parsed->root, path);
    }
    CreateAndOpen(registry.Get(), RegRoot::CurrentUser, text);
    return 0;
}
