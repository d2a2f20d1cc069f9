#include "store/MessageStore.h"

#include "store/CRegistryStore.h"
#include "store/RegistryKeys.h"

CString RecordKeyPath(Branch branch, const CString& number) {
    return CString::Formatted(branch == Branch::Inbox
                                  ? u"Software\\Tolvane\\Brenwick\\Content\\%s"
                                  : u"Software\\Tolvane\\Brenwick\\Contentout\\%s",
                              number);
}

CString TimeStampName(const platform::LocalTime& t) {
    return CString::Formatted(u"%d-%d-%d-%d:%d:%d", t.year, t.month, t.day, t.hour, t.minute,
                              t.second);
}

std::vector<CRecord> ListRecords(const CString& keyPath) {
    std::vector<CRecord> records;
    CRegistryStore::EnumerateValues(HKEY_LOCAL_MACHINE, keyPath,
                                    [&](const CString& name, const CString& data) {
                                        if (name != kAvatarValue)
                                            records.push_back({name, data});
                                    });
    return records;
}

CString MarkRead(const CString& keyPath, const CString& name, const CString& text) {
    const CString readName = name.Mid(3);
    if (CRegistryStore::WriteString(keyPath, readName, text) != 0)
        return name;
    CRegistryStore::DeleteValue(keyPath, name);
    return readName;
}

int DeleteRecord(const CString& keyPath, const CString& name) {
    return CRegistryStore::DeleteValue(keyPath, name);
}

std::vector<CRecord> SplitIntoPieces(const CString& stamp, const CString& text) {
    if (text.GetLength() <= kPieceLength)
        return {{stamp, text}};
    std::vector<CRecord> pieces;
    for (int from = 0; from < text.GetLength();) {
        int length = std::min(kPieceLength, text.GetLength() - from);
        const char16_t last = text[from + length - 1];
        if (length > 1 && from + length < text.GetLength() && last >= 0xD800 && last <= 0xDBFF)
            --length; // the pair goes whole into the next piece
        pieces.push_back({CString::Formatted(u"%s-%d", stamp, static_cast<int>(pieces.size()) + 1),
                          text.Mid(from, length)});
        from += length;
    }
    return pieces;
}

void StoreSentCopy(const CString& number, const CString& text) {
    const CString keyPath = RecordKeyPath(Branch::Outbox, number);
    for (const auto& piece : SplitIntoPieces(TimeStampName(platform::GetLocalTime()), text))
        CRegistryStore::WriteString(keyPath, piece.name, piece.text);
}

int ReadAvatar(const CString& keyPath, CString& picturePath) {
    return CRegistryStore::ReadString(keyPath, kAvatarValue, picturePath);
}

int WriteAvatar(const CString& keyPath, const CString& picturePath) {
    return CRegistryStore::WriteString(keyPath, kAvatarValue, picturePath);
}

int DeleteInboxKey(const CString& number) {
    return CRegistryStore::DeleteKey(keys::kInbox, number);
}

std::pair<int, int> ClearStore() {
    const int inbox = CRegistryStore::DeleteKey(keys::kData, u"Content");
    const int outbox = CRegistryStore::DeleteKey(keys::kData, u"Contentout");
    return {inbox, outbox};
}
