#include "exchange/ExchangeHandlers.h"

#include "exchange/ExchangeDocument.h"
#include "platform/device.h"
#include "platform/file_copy.h"
#include "platform/gui/winapp.h"
#include "platform/gui/wnd.h"
#include "platform/registry.h"
#include "res/Resources.h"
#include "store/CRegistryStore.h"
#include "store/MessageStore.h"
#include "store/NumberLists.h"
#include "store/RegistryKeys.h"

#include <optional>
#include <utility>
#include <vector>

namespace {

constexpr const char16_t* kStartingFile = u"\\Windows\\brenwick.xml";
constexpr const char16_t* kListFile = u"\\My Documents\\List.xml";
constexpr const char16_t* kContentFile = u"\\My Documents\\Content.xml";
constexpr const char16_t* kReceivedPrefix = u"接收时间";
constexpr int kTimePrefixLength = 5; // "接收时间:" and "发送时间:"

// What the program's readers can read back: a value name shorter than the name buffer, a
// text that fits the data buffer with its terminating zero.
constexpr int kLongestName = CRegistryStore::kNameBufferChars - 1;
constexpr int kLongestText = CRegistryStore::kDataBufferBytes / 2 - 1;

void Notice(CWnd& owner, const CString& text) {
    owner.MessageBox(text, kCaption, MB_OK | MB_ICONINFORMATION);
}

// What an import writes, in batches of one registry transaction each: a few commits instead
// of one a value, and the filter service waits for one batch at most. A value the program
// could not read back (it would end every later listing of its key early, and so hide what
// lies after it) is skipped and counted.
class ImportWriter {
public:
    void Add(const CString& keyPath, const CString& name, const CString& text) {
        if (name.GetLength() > kLongestName || text.GetLength() > kLongestText) {
            ++m_skipped;
            return;
        }
        m_pending.push_back({keyPath, name, text});
        if (m_pending.size() == kBatch)
            Flush();
    }
    // Writes what is left; the number of skipped values.
    int Finish() {
        Flush();
        return m_skipped;
    }

private:
    static constexpr std::size_t kBatch = 500;
    struct Value {
        CString keyPath, name, text;
    };
    void Flush() {
        if (m_pending.empty())
            return;
        platform::ThisDevice().GetRegistry().Atomically([this] {
            for (const Value& v : m_pending)
                CRegistryStore::WriteString(v.keyPath, v.name, v.text);
        });
        m_pending.clear();
    }

    std::vector<Value> m_pending;
    int m_skipped = 0;
};

// The closing message of an import, with the count of skipped values when there are any.
CString WithSkipped(const CString& text, int skipped) {
    if (skipped == 0)
        return text;
    return text + CString::Formatted(u"\n有%d项内容过长，本程序无法读取，未导入。", skipped);
}

// Deletes what the file now holds: each exported record, then each record key left empty.
void DeleteExported(const std::vector<ExportedKey>& exported) {
    for (const ExportedKey& key : exported)
        for (const CString& name : key.names)
            CRegistryStore::DeleteValue(key.path, name);
    for (const ExportedKey& key : exported) {
        platform::RegistryKey open;
        bool existed = false;
        int count = 0;
        std::vector<std::u16string> subKeys;
        if (CRegistryStore::OpenKey(HKEY_LOCAL_MACHINE, key.path, open, existed) != 0 ||
            CRegistryStore::CountValues(open, count) != 0 || count != 0 ||
            open.SubKeyNames(subKeys) != platform::RegStatus::Ok || !subKeys.empty())
            continue;
        open.Close();
        const int slash = key.path.str().rfind(u'\\');
        CRegistryStore::DeleteKey(key.path.Left(slash), key.path.Mid(slash + 1));
    }
}

// The records left in a branch of the store, over all its record keys.
int CountRecords(const CString& branchPath) {
    platform::RegistryKey branch;
    bool existed = false;
    std::vector<std::u16string> numbers;
    if (CRegistryStore::OpenKey(HKEY_LOCAL_MACHINE, branchPath, branch, existed) != 0 ||
        branch.SubKeyNames(numbers) != platform::RegStatus::Ok)
        return 0;
    int records = 0;
    for (const auto& number : numbers) {
        platform::RegistryKey key;
        int count = 0;
        if (CRegistryStore::OpenKey(HKEY_LOCAL_MACHINE, branchPath + u"\\" + number, key,
                                    existed) == 0 &&
            CRegistryStore::CountValues(key, count) == 0)
            records += count;
    }
    return records;
}

// Clears the store of what the export wrote; the branches themselves go when nothing else
// is left in them.
void ClearExported(CWnd& owner, const std::vector<ExportedKey>& exported) {
    DeleteExported(exported);
    const int left = CountRecords(keys::kInbox) + CountRecords(keys::kOutbox);
    if (left > 0) {
        Notice(owner, CString::Formatted(u"导出的红名单短信已清空，本机还有%d条未导出的红名单短信"
                                         u"记录，已保留。",
                                         left));
        return;
    }
    CRegistryStore::DeleteKey(keys::kData, u"Content");
    CRegistryStore::DeleteKey(keys::kData, u"Contentout");
    Notice(owner, u"本机红名单短信已清空！");
}

// The list name of a red-list entry in the message file: its text and number joined by
// "_", without the level marker's leading "*".
CString MessageListName(const CString& text, const CString& number) {
    const CString joined = text + u"_" + number;
    int stars = 0;
    while (stars < joined.GetLength() && joined[stars] == u'*')
        ++stars;
    return joined.Mid(stars);
}

// Exports the red list's messages into the loaded document: what the file now holds, or
// nothing when the red list key cannot be read at all.
std::optional<std::vector<ExportedKey>> ExportRedListMessages(CWnd& owner) {
    constexpr const char16_t* kFailed = u"导出红名单短信记录失败！";
    std::optional<CWaitCursor> busy(std::in_place);
    platform::RegistryKey redList;
    bool existed = false;
    int count = 0;
    if (CRegistryStore::OpenKey(HKEY_LOCAL_MACHINE, keys::kRedList, redList, existed) != 0 ||
        (existed && CRegistryStore::CountValues(redList, count) != 0)) {
        redList.Close();
        busy.reset();
        Notice(owner, kFailed);
        return std::nullopt;
    }
    std::vector<ExportedKey> exported;
    CString number, text;
    for (int i = 0; i < count; ++i) {
        if (CRegistryStore::EnumValue(redList, i, number, text) != 0)
            break;
        if (!AppendList() || !SetLastListName(MessageListName(text, number))) {
            Notice(owner, kFailed);
            continue;
        }
        const int position = CountLists() - 1;
        for (const auto& [branch, kind] :
             {std::pair(Branch::Inbox, kInboxRecords), std::pair(Branch::Outbox, kOutboxRecords)}) {
            ExportedKey key{RecordKeyPath(branch, Plus86Form(number)), {}};
            if (ExportKeyToList(position, key.path, kind, &key.names) != 0)
                Notice(owner, kFailed);
            exported.push_back(std::move(key));
        }
    }
    redList.Close();
    return exported;
}

} // namespace

CString NumberOfListName(const CString& listName) {
    const auto last = listName.str().rfind(u'_');
    return last == std::u16string::npos ? listName : listName.Mid(static_cast<int>(last) + 1);
}

void ExportLists(CWnd& owner) {
    CWaitCursor busy; // until the closing message has been answered
    platform::CopyDeviceFile(kStartingFile, kListFile, false);
    if (!LoadDocument(kListFile))
        return;
    const struct {
        const char16_t* key;
        const char16_t* name;
        const char16_t* failure;
    } lists[] = {{keys::kBlackList, u"短信黑名单", u"导出黑名单失败！"},
                 {keys::kRedList, u"短信红名单", u"导出红名单失败！"}};
    for (int position = 0; position < 2; ++position) {
        const auto& list = lists[position];
        if (!AppendList() || !SetLastListName(list.name) ||
            ExportKeyToList(position, list.key, kListEntries) != 0)
            Notice(owner, list.failure);
    }
    Notice(owner, u"导出名单至文件\\My Documents\\List.xml成功！");
}

void ImportLists(CWnd& owner) {
    int skipped = 0;
    {
        CWaitCursor busy;
        if (!LoadDocument(kListFile))
            return;
        const char16_t* targets[] = {u"Software\\Tolvane\\Brenwick\\list",
                                     u"Software\\Tolvane\\Brenwick\\listb"};
        ImportWriter writer;
        for (int list = 0; list < 2; ++list)
            for (int member = 0; member < CountListChildren(list) - 1; ++member)
                writer.Add(targets[list], ReadMemberField(list, member, 1),
                           ReadMemberField(list, member, 0));
        skipped = writer.Finish();
    }
    Notice(owner, WithSkipped(u"Brenwick名单导入成功！", skipped));
}

std::optional<std::vector<ExportedKey>> WriteMessageFile(CWnd& owner) {
    platform::CopyDeviceFile(kStartingFile, kContentFile, false);
    if (!LoadDocument(kContentFile))
        return std::nullopt;
    return ExportRedListMessages(owner);
}

void ExportMessages(CWnd& owner) {
    const auto exported = WriteMessageFile(owner);
    if (!exported)
        return;
    if (owner.MessageBox(u"红名单短信记录已导出至 My Documents\\Content.xml "
                         u"文件成功，是否要清空手机上的红名单短信记录？",
                         kCaption, MB_YESNO | MB_ICONQUESTION) == IDYES)
        ClearExported(owner, *exported);
}

std::optional<int> ReadMessageFile() {
    CWaitCursor busy;
    if (!LoadDocument(kContentFile))
        return std::nullopt;
    ImportWriter writer;
    for (int list = 0; list < CountLists(); ++list) {
        const CString number = Plus86Form(NumberOfListName(ReadListName(list)));
        const CString inbox = RecordKeyPath(Branch::Inbox, number);
        const CString outbox = RecordKeyPath(Branch::Outbox, number);
        for (int member = 0; member < CountListChildren(list) - 1; ++member) {
            const CString time = ReadMemberField(list, member, 0);
            const CString& key = time.Find(kReceivedPrefix) >= 0 ? inbox : outbox;
            writer.Add(key, time.Mid(kTimePrefixLength), ReadMemberField(list, member, 1));
        }
    }
    return writer.Finish();
}

void ImportMessages(CWnd& owner) {
    if (const auto skipped = ReadMessageFile())
        Notice(owner, WithSkipped(u"红名单短信导入成功！", *skipped));
}
