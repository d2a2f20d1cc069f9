#include "platform/contacts.h"

#include "platform/device.h"
#include "platform/name_order.h"
#include "platform/sqlite.h"
#include "platform/text.h"

#include <array>

namespace platform {
namespace {

thread_local int t_componentStarts = 0;

enum class Field { First, Last, Mobile, Work, Other };
constexpr int kFieldCount = 5;

const std::u16string* FieldOf(const PhoneContact& c, Field field) {
    switch (field) {
    case Field::First:
        return &c.first;
    case Field::Last:
        return &c.last;
    case Field::Mobile:
        return &c.mobile;
    case Field::Work:
        return &c.work;
    case Field::Other:
        return &c.other;
    }
    return &c.first;
}

std::optional<Field> FieldNamed(std::u16string_view name) {
    static constexpr std::pair<std::u16string_view, Field> kNames[] = {
        {u"FirstName", Field::First},
        {u"LastName", Field::Last},
        {u"MobileTelephoneNumber", Field::Mobile},
        {u"BusinessTelephoneNumber", Field::Work},
        {u"OtherTelephoneNumber", Field::Other},
    };
    for (const auto& [spelling, field] : kNames)
        if (EqualsIgnoringCase(name, spelling))
            return field;
    return std::nullopt;
}

enum class Op { Eq, Ne, Lt, Le, Gt, Ge };

bool Holds(Op op, int order) {
    switch (op) {
    case Op::Eq:
        return order == 0;
    case Op::Ne:
        return order != 0;
    case Op::Lt:
        return order < 0;
    case Op::Le:
        return order <= 0;
    case Op::Gt:
        return order > 0;
    case Op::Ge:
        return order >= 0;
    }
    return false;
}

// The keys of one contact's fields, each worked out when a comparison first needs it.
class FieldKeys {
public:
    explicit FieldKeys(const PhoneContact& contact) : m_contact(contact) {}
    const std::string& Key(Field field) {
        auto& key = m_keys[static_cast<int>(field)];
        if (!key)
            key = NameOrderKey(*FieldOf(m_contact, field));
        return *key;
    }

private:
    const PhoneContact& m_contact;
    std::array<std::optional<std::string>, kFieldCount> m_keys;
};

} // namespace

struct ContactRestriction::Node {
    enum class Kind { Compare, And, Or } kind = Kind::Compare;
    Field field = Field::First;
    Op op = Op::Eq;
    std::string key; // the literal's
    std::unique_ptr<Node> left, right;

    bool Eval(FieldKeys& keys) const {
        switch (kind) {
        case Kind::And:
            return left->Eval(keys) && right->Eval(keys);
        case Kind::Or:
            return left->Eval(keys) || right->Eval(keys);
        case Kind::Compare:
            break;
        }
        return Holds(op, keys.Key(field).compare(key));
    }
};

namespace {

using Node = ContactRestriction::Node;

// or-expr := and-expr ("or" and-expr)*; and-expr := term ("and" term)*;
// term := "(" or-expr ")" | "[" field "]" op "text".
class Parser {
public:
    explicit Parser(std::u16string_view text) : m_text(text) {}

    std::unique_ptr<Node> Whole() {
        auto root = Or();
        SkipSpace();
        return root && m_at == m_text.size() ? std::move(root) : nullptr;
    }

private:
    std::unique_ptr<Node> Or() {
        auto left = And();
        while (left && Keyword(u"or"))
            left = Join(Node::Kind::Or, std::move(left), And());
        return left;
    }
    std::unique_ptr<Node> And() {
        auto left = Term();
        while (left && Keyword(u"and"))
            left = Join(Node::Kind::And, std::move(left), Term());
        return left;
    }
    static std::unique_ptr<Node> Join(Node::Kind kind, std::unique_ptr<Node> left,
                                      std::unique_ptr<Node> right) {
        if (!right)
            return nullptr;
        auto node = std::make_unique<Node>();
        node->kind = kind;
        node->left = std::move(left);
        node->right = std::move(right);
        return node;
    }

    std::unique_ptr<Node> Term() {
        if (Take(u'(')) {
            auto inner = Or();
            return inner && Take(u')') ? std::move(inner) : nullptr;
        }
        if (!Take(u'['))
            return nullptr;
        const std::size_t close = m_text.find(u']', m_at);
        if (close == std::u16string_view::npos)
            return nullptr;
        const auto field = FieldNamed(Trimmed(m_text.substr(m_at, close - m_at)));
        m_at = close + 1;
        const auto op = Operator();
        if (!field || !op)
            return nullptr;
        const auto literal = Literal();
        if (!literal)
            return nullptr;
        auto node = std::make_unique<Node>();
        node->field = *field;
        node->op = *op;
        node->key = NameOrderKey(*literal);
        return node;
    }

    std::optional<Op> Operator() {
        SkipSpace();
        static constexpr std::pair<std::u16string_view, Op> kOps[] = {
            {u"<>", Op::Ne}, {u"<=", Op::Le}, {u">=", Op::Ge},
            {u"<", Op::Lt},  {u">", Op::Gt},  {u"=", Op::Eq},
        };
        for (const auto& [spelling, op] : kOps)
            if (m_text.substr(m_at).starts_with(spelling)) {
                m_at += spelling.size();
                return op;
            }
        return std::nullopt;
    }

    // "text", with "" standing for one quote inside.
    std::optional<std::u16string> Literal() {
        if (!Take(u'"'))
            return std::nullopt;
        std::u16string literal;
        while (m_at < m_text.size()) {
            const char16_t c = m_text[m_at++];
            if (c != u'"') {
                literal += c;
            } else if (m_at < m_text.size() && m_text[m_at] == u'"') {
                literal += c;
                ++m_at;
            } else {
                return literal;
            }
        }
        return std::nullopt; // no closing quote
    }

    // A keyword stands alone: "order" is no "or".
    bool Keyword(std::u16string_view word) {
        SkipSpace();
        const std::u16string_view rest = m_text.substr(m_at);
        if (rest.size() < word.size() || !EqualsIgnoringCase(rest.substr(0, word.size()), word))
            return false;
        if (rest.size() > word.size() && !IsSpace(rest[word.size()]) && rest[word.size()] != u'(' &&
            rest[word.size()] != u'[')
            return false;
        m_at += word.size();
        return true;
    }
    bool Take(char16_t c) {
        SkipSpace();
        if (m_at < m_text.size() && m_text[m_at] == c) {
            ++m_at;
            return true;
        }
        return false;
    }
    void SkipSpace() {
        while (m_at < m_text.size() && IsSpace(m_text[m_at]))
            ++m_at;
    }
    static bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }
    static std::u16string_view Trimmed(std::u16string_view s) {
        while (!s.empty() && IsSpace(s.front()))
            s.remove_prefix(1);
        while (!s.empty() && IsSpace(s.back()))
            s.remove_suffix(1);
        return s;
    }

    std::u16string_view m_text;
    std::size_t m_at = 0;
};

} // namespace

bool CoInitializeEx(void*, int model) {
    if (model != COINIT_MULTITHREADED)
        return false;
    ++t_componentStarts;
    return true;
}

void CoUninitialize() {
    if (t_componentStarts > 0)
        --t_componentStarts;
}

ContactRestriction::ContactRestriction(std::unique_ptr<Node> root) : m_root(std::move(root)) {}
ContactRestriction::ContactRestriction(ContactRestriction&&) noexcept = default;
ContactRestriction& ContactRestriction::operator=(ContactRestriction&&) noexcept = default;
ContactRestriction::~ContactRestriction() = default;

std::optional<ContactRestriction> ContactRestriction::Parse(std::u16string_view text) {
    auto root = Parser(text).Whole();
    if (!root)
        return std::nullopt;
    return ContactRestriction(std::move(root));
}

bool ContactRestriction::Matches(const PhoneContact& contact) const {
    FieldKeys keys(contact);
    return m_root->Eval(keys);
}

ContactItems::ContactItems(std::vector<PhoneContact> contacts)
    : m_all(std::make_shared<const std::vector<PhoneContact>>(std::move(contacts))) {
    m_rows.resize(m_all->size());
    for (std::size_t i = 0; i < m_rows.size(); ++i)
        m_rows[i] = static_cast<int>(i);
}

ContactItems::ContactItems(std::shared_ptr<const std::vector<PhoneContact>> all,
                           std::vector<int> rows)
    : m_all(std::move(all)), m_rows(std::move(rows)) {}

std::optional<PhoneContact> ContactItems::Item(int position) const {
    if (position < 1 || position > Count())
        return std::nullopt;
    return (*m_all)[static_cast<std::size_t>(m_rows[static_cast<std::size_t>(position - 1)])];
}

std::shared_ptr<ContactItems> ContactItems::Restrict(std::u16string_view restriction) const {
    const auto parsed = ContactRestriction::Parse(restriction);
    if (!parsed)
        return nullptr;
    std::vector<int> rows;
    for (const int row : m_rows)
        if (parsed->Matches((*m_all)[static_cast<std::size_t>(row)]))
            rows.push_back(row);
    return std::shared_ptr<ContactItems>(new ContactItems(m_all, std::move(rows)));
}

ContactsFolder::ContactsFolder(std::shared_ptr<sql::Database> session)
    : m_session(std::move(session)) {}

// A collection never changes, so the one taken last serves again until another connection
// has changed the file.
std::shared_ptr<ContactItems> ContactsFolder::Items() const {
    try {
        const std::int64_t version = m_session->DataVersion();
        if (m_taken && version == m_takenVersion)
            return m_taken;
        std::vector<PhoneContact> contacts;
        {
            sql::Query count(*m_session, "SELECT count(*) FROM contacts");
            if (count.Step())
                contacts.reserve(static_cast<std::size_t>(count.Int(0)));
        }
        sql::Query q(*m_session,
                     "SELECT first, last, mobile, work, other FROM contacts ORDER BY id");
        while (q.Step())
            contacts.push_back({Utf8ToUtf16(q.Text(0)), Utf8ToUtf16(q.Text(1)),
                                Utf8ToUtf16(q.Text(2)), Utf8ToUtf16(q.Text(3)),
                                Utf8ToUtf16(q.Text(4))});
        m_taken = std::make_shared<ContactItems>(std::move(contacts));
        m_takenVersion = version;
        return m_taken;
    } catch (const sql::Error&) {
        return nullptr;
    }
}

std::unique_ptr<ContactsApplication> ContactsApplication::Create() {
    if (t_componentStarts == 0)
        return nullptr;
    return std::unique_ptr<ContactsApplication>(new ContactsApplication());
}

ContactsApplication::~ContactsApplication() = default;

bool ContactsApplication::Logon() {
    try {
        auto session = std::make_shared<sql::Database>(ThisDevice().Directory() / "phone.db");
        sql::Query(*session, "SELECT count(*) FROM contacts").Run();
        m_session = std::move(session);
        return true;
    } catch (const sql::Error&) {
        return false;
    }
}

void ContactsApplication::Logoff() {
    m_session.reset();
}

std::shared_ptr<ContactsFolder> ContactsApplication::GetDefaultFolder(int kind) {
    if (!m_session || kind != olFolderContacts)
        return nullptr;
    return std::make_shared<ContactsFolder>(m_session);
}

} // namespace platform
