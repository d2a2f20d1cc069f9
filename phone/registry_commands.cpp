// reg dump / set / del and the phone's preset phrases: the registry as tools see it.
#include "phone/commands.h"
#include "phone/json_line.h"
#include "phone/reg_path.h"
#include "platform/device.h"
#include "platform/json.h"
#include "platform/registry.h"
#include "platform/text.h"

#include <algorithm>
#include <ostream>
#include <set>

namespace phone {

using platform::Registry;
using platform::RegistryKey;
using platform::RegRoot;
using platform::RegStatus;
using platform::RegValue;

namespace {

constexpr std::u16string_view kPresetsKey = u"Software\\Microsoft\\Inbox\\PresetMsgs";

// Leaves an atomic step (rolling it back) with what went wrong.
struct Failure {
    std::string what;
};

void Check(RegStatus status, std::string_view doing, std::u16string_view path) {
    if (status != RegStatus::Ok)
        throw Failure{std::string(doing) + " " + platform::Utf16ToUtf8(path) + ": " +
                      std::string(StatusText(status))};
}

std::optional<RegPath> PathArgument(const Invocation& call, std::size_t index) {
    const auto path = ParseRegPath(platform::Utf8ToUtf16(call.args.at(index)));
    if (!path)
        Fail(call, "invalid registry path: " + call.args[index]);
    return path;
}

// One key and everything below it, one JSON object a key, parents first.
class Dumper {
public:
    explicit Dumper(Registry& registry) : m_registry(registry) {}

    void Dump(RegRoot root, std::u16string_view path) {
        if (const auto stored = StoredSpelling(root, path))
            Visit(root, *stored);
    }

    const std::vector<std::string>& Lines() const { return m_lines; }

private:
    RegistryKey Open(RegRoot root, std::u16string_view path) {
        RegistryKey key;
        Check(m_registry.OpenKey(root, path, key), "cannot open", DisplayPath(root, path));
        return key;
    }

    // The path as the keys spell themselves, found without creating anything; none when
    // a key on it does not exist.
    std::optional<std::u16string> StoredSpelling(RegRoot root, std::u16string_view path) {
        std::u16string stored;
        while (!path.empty()) {
            const auto part = path.substr(0, path.find(u'\\'));
            path.remove_prefix(std::min(path.size(), part.size() + 1));
            std::vector<std::u16string> children;
            Check(Open(root, stored).SubKeyNames(children), "cannot read",
                  DisplayPath(root, stored));
            const auto found = std::find_if(children.begin(), children.end(), [&](const auto& c) {
                return platform::EqualsIgnoringCase(c, part);
            });
            if (found == children.end())
                return std::nullopt;
            stored = JoinPath(stored, *found);
        }
        return stored;
    }

    void Visit(RegRoot root, const std::u16string& path) {
        const RegistryKey key = Open(root, path);
        std::vector<RegValue> values;
        std::vector<std::u16string> children;
        Check(key.AllValues(values), "cannot read", DisplayPath(root, path));
        Check(key.SubKeyNames(children), "cannot read", DisplayPath(root, path));

        std::string line =
            "{\"path\":" + platform::JsonString(DisplayPath(root, path)) + ",\"values\":[";
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (i > 0)
                line += ',';
            line += '[' + platform::JsonString(values[i].name) + ',' +
                    platform::JsonString(platform::DecodeRegString(values[i].data)) + ']';
        }
        m_lines.push_back(line + "]}");
        for (const auto& child : children)
            Visit(root, JoinPath(path, child));
    }

    Registry& m_registry;
    std::vector<std::string> m_lines;
};

} // namespace

int RegDump(const Invocation& call) {
    std::vector<RegPath> starts;
    if (call.args.empty()) {
        starts = {{RegRoot::LocalMachine, u""}, {RegRoot::CurrentUser, u""}};
    } else if (const auto path = PathArgument(call, 0)) {
        starts = {*path};
    } else {
        return 1;
    }
    Registry& registry = call.device.GetRegistry();
    Dumper dumper(registry);
    try {
        // One snapshot: a writer in another process cannot tear the dump.
        registry.Atomically([&] {
            for (const auto& start : starts)
                dumper.Dump(start.root, start.path);
        });
    } catch (const Failure& f) {
        return Fail(call, f.what);
    }
    // One key a line, so that dumps diff well; still one JSON document.
    const auto& lines = dumper.Lines();
    if (lines.empty()) {
        call.out << "{\"keys\":[]}\n";
        return 0;
    }
    call.out << "{\"keys\":[\n";
    for (std::size_t i = 0; i < lines.size(); ++i)
        call.out << lines[i] << (i + 1 < lines.size() ? ",\n" : "\n");
    call.out << "]}\n";
    return 0;
}

int RegSet(const Invocation& call) {
    const auto path = PathArgument(call, 0);
    if (!path)
        return 1;
    const auto shown = DisplayPath(path->root, path->path);
    try {
        RegistryKey key;
        bool existed = false;
        Check(call.device.GetRegistry().CreateKey(path->root, path->path, key, existed),
              "cannot create", shown);
        Check(
            key.SetString(platform::Utf8ToUtf16(call.args[1]), platform::Utf8ToUtf16(call.args[2])),
            "cannot write a value in", shown);
    } catch (const Failure& f) {
        return Fail(call, f.what);
    }
    return 0;
}

int RegDel(const Invocation& call) {
    const auto path = PathArgument(call, 0);
    if (!path)
        return 1;
    Registry& registry = call.device.GetRegistry();
    const auto shown = platform::Utf16ToUtf8(DisplayPath(path->root, path->path));
    RegistryKey key;
    if (call.args.size() == 1) {
        if (path->path.empty())
            return Fail(call, "a root key cannot be deleted: " + shown);
        if (registry.OpenKey(path->root, u"", key) != RegStatus::Ok)
            return Fail(call, "cannot open the root of " + shown);
        const RegStatus status = key.DeleteSubKey(path->path);
        if (status == RegStatus::NotFound)
            return Fail(call, "no such key: " + shown);
        if (status != RegStatus::Ok)
            return Fail(call, "cannot delete " + shown + ": " + std::string(StatusText(status)));
        return 0;
    }
    RegStatus status = registry.OpenKey(path->root, path->path, key);
    if (status == RegStatus::NotFound)
        return Fail(call, "no such key: " + shown);
    if (status == RegStatus::Ok)
        status = key.DeleteValue(platform::Utf8ToUtf16(call.args[1]));
    if (status == RegStatus::NotFound)
        return Fail(call, "no such value in " + shown + ": " + call.args[1]);
    if (status != RegStatus::Ok)
        return Fail(call,
                    "cannot delete a value in " + shown + ": " + std::string(StatusText(status)));
    return 0;
}

int PresetsAdd(const Invocation& call) {
    Registry& registry = call.device.GetRegistry();
    const auto shown = DisplayPath(RegRoot::CurrentUser, kPresetsKey);
    try {
        // Atomic, so that two additions at once take two numbers.
        registry.Atomically([&] {
            RegistryKey key;
            bool existed = false;
            Check(registry.CreateKey(RegRoot::CurrentUser, kPresetsKey, key, existed),
                  "cannot create", shown);
            std::vector<RegValue> values;
            Check(key.AllValues(values), "cannot read", shown);
            std::set<std::u16string> taken;
            for (const auto& v : values)
                taken.insert(platform::FoldCase(v.name));
            int n = 1;
            while (taken.contains(platform::Utf8ToUtf16(std::to_string(n))))
                ++n;
            Check(key.SetString(platform::Utf8ToUtf16(std::to_string(n)),
                                platform::Utf8ToUtf16(call.args[0])),
                  "cannot write a value in", shown);
        });
    } catch (const Failure& f) {
        return Fail(call, f.what);
    }
    return 0;
}

int PresetsList(const Invocation& call) {
    RegistryKey key;
    const RegStatus status =
        call.device.GetRegistry().OpenKey(RegRoot::CurrentUser, kPresetsKey, key);
    if (status == RegStatus::NotFound)
        return 0;
    std::vector<RegValue> values;
    if (status != RegStatus::Ok || key.AllValues(values) != RegStatus::Ok)
        return Fail(call, "cannot read the preset phrases");
    for (const auto& v : values)
        call.out
            << JsonLine().Text("name", v.name).Text("text", platform::DecodeRegString(v.data)).str()
            << '\n';
    return 0;
}

} // namespace phone
