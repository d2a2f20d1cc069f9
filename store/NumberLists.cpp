#include "store/NumberLists.h"

#include "store/CRegistryStore.h"
#include "store/MessageStore.h"
#include "store/RegistryKeys.h"

CString Plus86Form(const CString& number) {
    return number.StartsWith(u"+86") ? number : u"+86" + number;
}

CString WithoutPlus86(const CString& number) {
    return number.StartsWith(u"+86") ? number.Mid(3) : number;
}

CListEntry DecodeListEntry(const CString& data) {
    int stars = 0;
    while (stars < data.GetLength() && data[stars] == u'*')
        ++stars;
    return {stars > 0, data.Mid(stars)};
}

std::vector<CListRow> LoadListRows(const CString& listKey, bool redView) {
    std::vector<CListRow> rows;
    int index = 0;
    CRegistryStore::EnumerateValues(
        HKEY_LOCAL_MACHINE, listKey, [&](const CString& number, const CString& data) {
            const CListEntry entry = DecodeListEntry(data);
            CString first;
            if (redView) {
                first = entry.name;
                if (HasUnreadMessages(RecordKeyPath(Branch::Inbox, Plus86Form(number))))
                    first = kUnreadMarker + first;
            } else {
                first.Format(u"%d", index + 1);
            }
            ++index;
            if (number != u"Default")
                rows.push_back({{first, number, entry.high ? kHighLevel : u""}});
        });
    return rows;
}

bool HasUnreadMessages(const CString& keyPath) {
    bool unread = false;
    CRegistryStore::EnumerateValues(HKEY_LOCAL_MACHINE, keyPath,
                                    [&](const CString& name, const CString&) {
                                        unread = name.Find(kUnreadMarker) >= 0;
                                        return !unread;
                                    });
    return unread;
}

int AddListEntry(const CString& listKey, const CString& number, const CString& name) {
    return CRegistryStore::WriteString(listKey, number, kHighLevel + name);
}

int DeleteListEntry(const CString& listKey, const CString& number) {
    return CRegistryStore::DeleteValue(listKey, number);
}

int DeleteReceivedMessages(const CString& number) {
    return DeleteInboxKey(Plus86Form(number));
}

int RewriteLevel(const CString& redListKey, const CString& number, const CString& level,
                 const CString& name) {
    return CRegistryStore::WriteString(redListKey, number, level + name);
}

void CleanUpLists() {
    CRegistryStore::DeleteValue(keys::kBlackList, u"Default");
    CRegistryStore::DeleteValue(keys::kRedList, u"Default");
}
