#include "exchange/ExchangeDocument.h"

#include "platform/device.h"
#include "platform/gui/wnd.h"
#include "platform/xml.h"
#include "store/CRegistryStore.h"

#include <memory>
#include <optional>

using platform::XmlDocument;
using platform::XmlElement;

namespace {

constexpr const char* kListTemplate = "<groups><list><listname></listname></list></groups>";
constexpr const char* kListMemberTemplate =
    "<groups><list><member><membername></membername><mobilenum></mobilenum></member></list>"
    "</groups>";
constexpr const char* kMessageMemberTemplate =
    "<groups><list><member><rectime></rectime><smscontent></smscontent></member></list>"
    "</groups>";

// The document, the file it saves to, and its list elements and their children as read
// once, kept up to date by the appends so that reading a big file stays linear.
struct Exchange {
    std::unique_ptr<XmlDocument> doc;
    std::filesystem::path file;
    bool saved = false; // written whole once since the load; later changes write the end
    std::optional<std::vector<XmlElement>> lists;
    std::vector<std::optional<std::vector<XmlElement>>> children;

    void Reset(std::unique_ptr<XmlDocument> d, std::filesystem::path f) {
        doc = std::move(d);
        file = std::move(f);
        saved = false;
        lists.reset();
        children.clear();
    }
    const std::vector<XmlElement>& Lists() {
        if (!lists)
            lists = doc ? doc->ElementsByName(u"list") : std::vector<XmlElement>{};
        return *lists;
    }
    XmlElement List(int position) {
        const auto& all = Lists();
        return position >= 0 && position < static_cast<int>(all.size()) ? all[position]
                                                                        : XmlElement();
    }
    const std::vector<XmlElement>& Children(int position) {
        static const std::vector<XmlElement> none;
        if (position < 0 || position >= static_cast<int>(Lists().size()))
            return none;
        if (children.size() < Lists().size())
            children.resize(Lists().size());
        auto& cached = children[static_cast<std::size_t>(position)];
        if (!cached)
            cached = List(position).Children();
        return *cached;
    }
    // After a failed save the next one writes the whole document again.
    bool Store(XmlElement changed) {
        saved = saved ? doc->SaveChange(changed) : doc->Save(file);
        return saved;
    }
};

Exchange& TheExchange() {
    static Exchange exchange;
    return exchange;
}

// The first element of that name in a freshly parsed template; null, after telling why,
// when the template cannot be parsed.
std::unique_ptr<XmlDocument> ParseTemplate(const char* text, std::string& error) {
    auto doc = XmlDocument::Parse(text, error);
    if (!doc) {
        CWnd none;
        none.MessageBox(CString::FromUtf8(error), u"Caption", MB_OK);
    }
    return doc;
}

// Sets the texts of the first two children of element.
void SetFields(XmlDocument& doc, XmlElement element, const CString& first, const CString& second) {
    const auto fields = element.Children();
    if (!fields.empty())
        doc.SetText(fields[0], first.str());
    if (fields.size() > 1)
        doc.SetText(fields[1], second.str());
}

} // namespace

bool LoadDocument(const CString& path) {
    Exchange& x = TheExchange();
    x.Reset(nullptr, {});
    const auto file = platform::ThisDevice().HostPath(path.str());
    std::string error;
    auto doc = file ? XmlDocument::Load(*file, error) : nullptr;
    if (!doc) {
        CWnd none;
        none.MessageBox(u"加载文件失败，请确认文件是否在指定目录！", u"错误信息",
                        MB_OK | MB_ICONSTOP);
        return false;
    }
    x.Reset(std::move(doc), *file);
    return true;
}

bool AppendList() {
    Exchange& x = TheExchange();
    std::string error;
    const auto templ = ParseTemplate(kListTemplate, error);
    if (!templ)
        return false;
    if (!x.doc)
        return true;
    x.Lists(); // read before the new one is there
    const XmlElement list =
        x.doc->AppendCopy(x.doc->Root(), templ->Root().FirstDescendant(u"list"));
    if (!list)
        return false;
    x.lists->push_back(list);
    return x.Store(list);
}

bool AppendMember(int list, int kind) {
    Exchange& x = TheExchange();
    std::string error;
    const auto templ =
        ParseTemplate(kind == kListEntries ? kListMemberTemplate : kMessageMemberTemplate, error);
    if (!templ)
        return false;
    if (!x.doc)
        return true;
    const XmlElement parent = x.List(list);
    if (!parent)
        return true; // no such list: nothing changes
    x.Children(list);
    const XmlElement member = x.doc->AppendCopy(parent, templ->Root().FirstDescendant(u"member"));
    if (!member)
        return false;
    x.children[static_cast<std::size_t>(list)]->push_back(member);
    return x.Store(member);
}

bool SetLastListName(const CString& text) {
    Exchange& x = TheExchange();
    if (!x.doc || x.Lists().empty())
        return true;
    const auto& children = x.Children(static_cast<int>(x.Lists().size()) - 1);
    if (children.empty())
        return true; // a list of a hand-made file without its name element
    const XmlElement name = children.front();
    x.doc->SetText(name, text.str());
    return x.Store(name);
}

bool SetLastMemberFields(int list, const CString& first, const CString& second) {
    Exchange& x = TheExchange();
    if (!x.doc)
        return true;
    const auto& children = x.Children(list);
    if (children.empty())
        return true;
    SetFields(*x.doc, children.back(), first, second);
    return x.Store(children.back());
}

int CountLists() {
    return static_cast<int>(TheExchange().Lists().size());
}

int CountListChildren(int list) {
    return static_cast<int>(TheExchange().Children(list).size());
}

CString ReadListName(int list) {
    const auto& children = TheExchange().Children(list);
    return children.empty() ? CString() : CString(children.front().Text());
}

CString ReadMemberField(int list, int member, int field) {
    const auto& children = TheExchange().Children(list);
    if (member < 0 || member + 1 >= static_cast<int>(children.size()) || field < 0)
        return {};
    const auto fields = children[static_cast<std::size_t>(member) + 1].Children();
    return field < static_cast<int>(fields.size())
               ? CString(fields[static_cast<std::size_t>(field)].Text())
               : CString();
}

int ExportKeyToList(int list, const CString& keyPath, int kind, std::vector<CString>* exported) {
    platform::RegistryKey key;
    bool existed = false;
    if (CRegistryStore::OpenKey(HKEY_LOCAL_MACHINE, keyPath, key, existed) != 0)
        return 1;
    if (!existed)
        return 0;
    int count = 0;
    if (CRegistryStore::CountValues(key, count) != 0)
        return 1;
    int result = 0;
    CString name, data;
    for (int i = 0; i < count; ++i) {
        if (CRegistryStore::EnumValue(key, i, name, data) != 0)
            break;
        const CString text = data.IsEmpty() ? CString(u"未知") : data;
        if (!AppendMember(list, kind))
            continue;
        bool saved = false;
        if (kind == kListEntries)
            saved = SetLastMemberFields(list, text, name);
        else
            saved = SetLastMemberFields(
                list, (kind == kInboxRecords ? u"接收时间:" : u"发送时间:") + name, text);
        if (!saved) {
            result = 1; // the file does not hold this one
            continue;
        }
        if (exported)
            exported->push_back(name);
    }
    return result;
}
