#include "phone/reg_path.h"

#include "platform/text.h"

namespace phone {

using platform::RegRoot;
using platform::RegStatus;

std::optional<RegPath> ParseRegPath(std::u16string_view text) {
    RegPath result;
    const auto first = text.substr(0, text.find(u'\\'));
    struct Prefix {
        std::u16string_view name;
        RegRoot root;
    };
    for (const Prefix& p : {Prefix{u"HKLM", RegRoot::LocalMachine},
                            Prefix{u"HKEY_LOCAL_MACHINE", RegRoot::LocalMachine},
                            Prefix{u"HKCU", RegRoot::CurrentUser},
                            Prefix{u"HKEY_CURRENT_USER", RegRoot::CurrentUser}}) {
        if (platform::EqualsIgnoringCase(first, p.name)) {
            result.root = p.root;
            text.remove_prefix(first.size());
            break;
        }
    }
    while (text.starts_with(u'\\'))
        text.remove_prefix(1);
    while (text.ends_with(u'\\'))
        text.remove_suffix(1);
    if (text.find(u"\\\\") != std::u16string_view::npos)
        return std::nullopt;
    result.path = text;
    return result;
}

std::u16string DisplayPath(RegRoot root, std::u16string_view path) {
    return JoinPath(platform::RootName(root), path);
}

std::u16string JoinPath(std::u16string_view parent, std::u16string_view child) {
    std::u16string joined(parent);
    if (!joined.empty() && !child.empty())
        joined += u'\\';
    joined += child;
    return joined;
}

std::string_view StatusText(RegStatus status) {
    switch (status) {
    case RegStatus::Ok:
        return "done";
    case RegStatus::NotFound:
        return "not found";
    case RegStatus::MoreData:
        return "too large";
    case RegStatus::NoMoreItems:
        return "no more items";
    case RegStatus::KeyDeleted:
        return "the key was deleted meanwhile";
    case RegStatus::InvalidName:
        return "invalid name";
    case RegStatus::AccessDenied:
        return "the registry refuses writes";
    case RegStatus::Failed:
        return "the registry cannot be read or written";
    }
    return "unknown failure";
}

} // namespace phone
