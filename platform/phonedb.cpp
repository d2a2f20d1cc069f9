#include "platform/phonedb.h"

#include "platform/clock.h"
#include "platform/sqlite.h"
#include "platform/text.h"

#include <mutex>

namespace platform {
namespace {

// user_version 1: the tables below, and a fresh phone's state written once.
constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS lines(
  seq INTEGER PRIMARY KEY AUTOINCREMENT,
  name TEXT NOT NULL,
  number TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS contacts(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  first TEXT NOT NULL, last TEXT NOT NULL,
  mobile TEXT NOT NULL, work TEXT NOT NULL, other TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS inbox(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  sender TEXT NOT NULL, text TEXT NOT NULL, time TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS sent_sms(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  recipient TEXT NOT NULL, text TEXT NOT NULL, result INTEGER NOT NULL, time TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS calls(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  number TEXT NOT NULL, time TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS launches(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  path TEXT NOT NULL, cmdline TEXT NOT NULL, time TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS switches(
  name TEXT PRIMARY KEY,
  value INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS notices(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  sender TEXT NOT NULL, text TEXT NOT NULL, vibration TEXT, time TEXT NOT NULL);
)sql";

std::string Utf8(std::u16string_view text) {
    return Utf16ToUtf8(text);
}
std::u16string Utf16(const sql::Query& q, int column) {
    return Utf8ToUtf16(q.Text(column));
}
std::string Now() {
    return FormatIsoTime(GetLocalTime());
}

} // namespace

struct PhoneDb::Impl {
    explicit Impl(const std::filesystem::path& file) : db(file) {}

    // Runs fn on the connection, one thread at a time; a store failure gives fallback.
    template <class Result, class Fn> Result Locked(Result fallback, Fn&& fn) {
        std::lock_guard lock(mutex);
        try {
            return fn(db);
        } catch (const sql::Error&) {
            return fallback;
        }
    }

    // One statement as its own write transaction.
    template <class BindFn> bool WriteOne(const char* sql, BindFn&& bind) {
        return Locked(false, [&](sql::Database& d) {
            sql::Transaction t(d, sql::Transaction::Kind::Write);
            {
                sql::Query q(d, sql);
                bind(q);
                q.Run();
            }
            t.Commit();
            return true;
        });
    }

    std::mutex mutex;
    sql::Database db;
};

PhoneDb::PhoneDb() = default;
PhoneDb::~PhoneDb() = default;

std::unique_ptr<PhoneDb> PhoneDb::Open(const std::filesystem::path& file, std::string& error) {
    std::unique_ptr<PhoneDb> phone(new PhoneDb());
    try {
        phone->m_impl = std::make_unique<Impl>(file);
        sql::Database& db = phone->m_impl->db;
        // One write transaction, so that of two processes opening a new file at once only
        // the first one writes the fresh phone's state.
        sql::Transaction t(db, sql::Transaction::Kind::Write);
        db.Exec(kSchema);
        std::int64_t version = 0;
        {
            sql::Query q(db, "PRAGMA user_version");
            if (q.Step())
                version = q.Int(0);
        }
        if (version == 0) {
            sql::Query line(db, "INSERT INTO lines(name, number) VALUES(?, ?)");
            line.BindText(1, Utf8(kCellularLineName)).BindText(2, Utf8(kDefaultSimNumber)).Run();
            db.Exec("PRAGMA user_version = 1");
        }
        t.Commit();
    } catch (const sql::Error& e) {
        error = e.what();
        return nullptr;
    }
    return phone;
}

std::vector<PhoneLine> PhoneDb::Lines() {
    return m_impl->Locked(std::vector<PhoneLine>{}, [](sql::Database& db) {
        std::vector<PhoneLine> lines;
        sql::Query q(db, "SELECT name, number FROM lines ORDER BY seq");
        while (q.Step())
            lines.push_back({static_cast<int>(lines.size()), Utf16(q, 0), Utf16(q, 1)});
        return lines;
    });
}

bool PhoneDb::AddLine(std::u16string_view name, std::u16string_view subscriberNumber) {
    return m_impl->WriteOne("INSERT INTO lines(name, number) VALUES(?, ?)", [&](sql::Query& q) {
        q.BindText(1, Utf8(name)).BindText(2, Utf8(subscriberNumber));
    });
}

std::optional<std::u16string> PhoneDb::SimNumber() {
    return m_impl->Locked(std::optional<std::u16string>{}, [](sql::Database& db) {
        // '=' on text compares exactly: a name that differs in case is another line.
        sql::Query q(db, "SELECT number FROM lines WHERE name = ? ORDER BY seq DESC LIMIT 1");
        q.BindText(1, Utf8(kCellularLineName));
        return q.Step() ? std::optional(Utf16(q, 0)) : std::nullopt;
    });
}

bool PhoneDb::SetSimNumber(std::u16string_view number) {
    return m_impl->Locked(false, [&](sql::Database& db) {
        sql::Transaction t(db, sql::Transaction::Kind::Write);
        std::optional<std::int64_t> seq;
        {
            sql::Query q(db, "SELECT seq FROM lines WHERE name = ? ORDER BY seq DESC LIMIT 1");
            q.BindText(1, Utf8(kCellularLineName));
            if (q.Step())
                seq = q.Int(0);
        }
        if (seq) {
            sql::Query q(db, "UPDATE lines SET number = ? WHERE seq = ?");
            q.BindText(1, Utf8(number)).Bind(2, *seq).Run();
        } else {
            sql::Query q(db, "INSERT INTO lines(name, number) VALUES(?, ?)");
            q.BindText(1, Utf8(kCellularLineName)).BindText(2, Utf8(number)).Run();
        }
        t.Commit();
        return true;
    });
}

bool PhoneDb::RemoveSim() {
    return m_impl->WriteOne("DELETE FROM lines WHERE name = ?",
                            [](sql::Query& q) { q.BindText(1, Utf8(kCellularLineName)); });
}

bool PhoneDb::NetworkOn() {
    return m_impl->Locked(true, [](sql::Database& db) {
        sql::Query q(db, "SELECT value FROM switches WHERE name = 'network'");
        return !q.Step() || q.Int(0) != 0;
    });
}

bool PhoneDb::SetNetworkOn(bool on) {
    return m_impl->WriteOne("INSERT INTO switches(name, value) VALUES('network', ?) "
                            "ON CONFLICT(name) DO UPDATE SET value = excluded.value",
                            [&](sql::Query& q) { q.Bind(1, on ? 1 : 0); });
}

bool PhoneDb::AddContact(const PhoneContact& c) {
    return m_impl->WriteOne(
        "INSERT INTO contacts(first, last, mobile, work, other) VALUES(?, ?, ?, ?, ?)",
        [&](sql::Query& q) {
            q.BindText(1, Utf8(c.first)).BindText(2, Utf8(c.last)).BindText(3, Utf8(c.mobile));
            q.BindText(4, Utf8(c.work)).BindText(5, Utf8(c.other));
        });
}

std::vector<PhoneContact> PhoneDb::Contacts() {
    return m_impl->Locked(std::vector<PhoneContact>{}, [](sql::Database& db) {
        std::vector<PhoneContact> contacts;
        sql::Query q(db, "SELECT first, last, mobile, work, other FROM contacts ORDER BY id");
        while (q.Step())
            contacts.push_back({Utf16(q, 0), Utf16(q, 1), Utf16(q, 2), Utf16(q, 3), Utf16(q, 4)});
        return contacts;
    });
}

bool PhoneDb::AddInboxMessage(std::u16string_view from, std::u16string_view text) {
    return m_impl->WriteOne(
        "INSERT INTO inbox(sender, text, time) VALUES(?, ?, ?)", [&](sql::Query& q) {
            q.BindText(1, Utf8(from)).BindText(2, Utf8(text)).BindText(3, Now());
        });
}

std::vector<InboxMessage> PhoneDb::InboxMessages() {
    return m_impl->Locked(std::vector<InboxMessage>{}, [](sql::Database& db) {
        std::vector<InboxMessage> rows;
        sql::Query q(db, "SELECT sender, text, time FROM inbox ORDER BY id");
        while (q.Step())
            rows.push_back({Utf16(q, 0), Utf16(q, 1), q.Text(2)});
        return rows;
    });
}

bool PhoneDb::LogSentSms(std::u16string_view to, std::u16string_view text, int result) {
    return m_impl->WriteOne(
        "INSERT INTO sent_sms(recipient, text, result, time) VALUES(?, ?, ?, ?)",
        [&](sql::Query& q) {
            q.BindText(1, Utf8(to)).BindText(2, Utf8(text)).Bind(3, result).BindText(4, Now());
        });
}

std::vector<SentSms> PhoneDb::SentMessages() {
    return m_impl->Locked(std::vector<SentSms>{}, [](sql::Database& db) {
        std::vector<SentSms> rows;
        sql::Query q(db, "SELECT recipient, text, result, time FROM sent_sms ORDER BY id");
        while (q.Step())
            rows.push_back({Utf16(q, 0), Utf16(q, 1), static_cast<int>(q.Int(2)), q.Text(3)});
        return rows;
    });
}

bool PhoneDb::LogCall(std::u16string_view number) {
    return m_impl->WriteOne("INSERT INTO calls(number, time) VALUES(?, ?)",
                            [&](sql::Query& q) { q.BindText(1, Utf8(number)).BindText(2, Now()); });
}

std::vector<CallRecord> PhoneDb::Calls() {
    return m_impl->Locked(std::vector<CallRecord>{}, [](sql::Database& db) {
        std::vector<CallRecord> rows;
        sql::Query q(db, "SELECT number, time FROM calls ORDER BY id");
        while (q.Step())
            rows.push_back({Utf16(q, 0), q.Text(1)});
        return rows;
    });
}

bool PhoneDb::LogLaunch(std::u16string_view path, std::u16string_view cmdline) {
    return m_impl->WriteOne(
        "INSERT INTO launches(path, cmdline, time) VALUES(?, ?, ?)", [&](sql::Query& q) {
            q.BindText(1, Utf8(path)).BindText(2, Utf8(cmdline)).BindText(3, Now());
        });
}

std::vector<LaunchRecord> PhoneDb::Launches() {
    return m_impl->Locked(std::vector<LaunchRecord>{}, [](sql::Database& db) {
        std::vector<LaunchRecord> rows;
        sql::Query q(db, "SELECT path, cmdline, time FROM launches ORDER BY id");
        while (q.Step())
            rows.push_back({Utf16(q, 0), Utf16(q, 1), q.Text(2)});
        return rows;
    });
}

bool PhoneDb::LogNotice(std::u16string_view from, std::u16string_view text,
                        const std::optional<std::u16string>& vibration) {
    return m_impl->WriteOne("INSERT INTO notices(sender, text, vibration, time) VALUES(?, ?, ?, ?)",
                            [&](sql::Query& q) {
                                q.BindText(1, Utf8(from)).BindText(2, Utf8(text));
                                if (vibration)
                                    q.BindText(3, Utf8(*vibration));
                                else
                                    q.BindNull(3);
                                q.BindText(4, Now());
                            });
}

std::vector<NoticeRecord> PhoneDb::Notices() {
    return m_impl->Locked(std::vector<NoticeRecord>{}, [](sql::Database& db) {
        std::vector<NoticeRecord> rows;
        sql::Query q(db, "SELECT sender, text, vibration, time FROM notices ORDER BY id");
        while (q.Step()) {
            std::optional<std::u16string> vibration;
            if (!q.IsNull(2))
                vibration = Utf16(q, 2);
            rows.push_back({Utf16(q, 0), Utf16(q, 1), std::move(vibration), q.Text(3)});
        }
        return rows;
    });
}

} // namespace platform
