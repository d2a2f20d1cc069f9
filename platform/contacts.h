#pragma once

// The phone's contacts store as the program reaches it through the component library: an
// application object that logs on to the contacts of phone.db, the default folder of the
// contacts, and collections of contacts that a restriction text narrows.
//
// A collection is what the store held when it was taken, in the order the contacts were
// added; it does not change under its reader. Everything runs on the caller's thread.

#include "platform/phonedb.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

namespace sql {
class Database;
}

// The component library, for the calling thread: each successful start is matched by an
// end. The contacts application object can only be made between them.
inline constexpr int COINIT_MULTITHREADED = 0;
bool CoInitializeEx(void* reserved, int model);
void CoUninitialize();

// The kind of the default folder of the contacts.
inline constexpr int olFolderContacts = 10;

// A restriction text read: comparisons of a contact's fields ([FirstName], [LastName],
// [MobileTelephoneNumber], [BusinessTelephoneNumber], [OtherTelephoneNumber], any letter
// case) by =, <>, <, <=, > or >= with double-quoted texts ("" for a quote inside), joined by
// "and" and "or" (and before or) and grouped by parentheses. Texts compare in the store's
// order of names (name_order.h).
class ContactRestriction {
public:
    // Nothing when the text does not read as a restriction.
    static std::optional<ContactRestriction> Parse(std::u16string_view text);
    ContactRestriction(ContactRestriction&&) noexcept;
    ContactRestriction& operator=(ContactRestriction&&) noexcept;
    ~ContactRestriction();

    bool Matches(const PhoneContact& contact) const;

    struct Node;

private:
    explicit ContactRestriction(std::unique_ptr<Node> root);
    std::unique_ptr<Node> m_root;
};

class ContactItems {
public:
    explicit ContactItems(std::vector<PhoneContact> contacts);

    int Count() const { return static_cast<int>(m_rows.size()); }
    // The contact at position 1 to Count(); nothing elsewhere.
    std::optional<PhoneContact> Item(int position) const;
    // The contacts of this collection that the restriction text lets through, in the same
    // order; null when the text does not read as a restriction.
    std::shared_ptr<ContactItems> Restrict(std::u16string_view restriction) const;

private:
    ContactItems(std::shared_ptr<const std::vector<PhoneContact>> all, std::vector<int> rows);

    std::shared_ptr<const std::vector<PhoneContact>> m_all;
    std::vector<int> m_rows; // indexes into m_all
};

class ContactsFolder {
public:
    explicit ContactsFolder(std::shared_ptr<sql::Database> session);
    // Every contact the store holds now; null when the store cannot be read.
    std::shared_ptr<ContactItems> Items() const;

private:
    std::shared_ptr<sql::Database> m_session;
    mutable std::shared_ptr<ContactItems> m_taken; // the collection given last
    mutable std::int64_t m_takenVersion = 0;       // the file's data version then
};

class ContactsApplication {
public:
    // Null unless the component library has been started on this thread.
    static std::unique_ptr<ContactsApplication> Create();
    ~ContactsApplication();

    // Opens a session on the contacts of this device's phone.db; false when they cannot be
    // opened (the file missing or unreadable, no table of contacts).
    bool Logon();
    void Logoff();
    // The folder of kind olFolderContacts while logged on; null otherwise.
    std::shared_ptr<ContactsFolder> GetDefaultFolder(int kind);

private:
    ContactsApplication() = default;
    std::shared_ptr<sql::Database> m_session;
};

} // namespace platform
