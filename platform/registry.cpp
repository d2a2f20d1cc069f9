#include "platform/registry.h"

#include "platform/sqlite.h"
#include "platform/text.h"

#include <bit>
#include <cstring>
#include <mutex>
#include <optional>
#include <unordered_map>

namespace platform {

static_assert(std::endian::native == std::endian::little,
              "stored strings are UTF-16LE, written straight from memory");

namespace {

constexpr std::int64_t kLocalMachineId = 1;
constexpr std::int64_t kCurrentUserId = 2;
constexpr std::size_t kMaxKeyNameLength = 255;
constexpr std::size_t kMaxValueNameLength = 16383;
constexpr int kSchemaVersion = 1;
// Values the view keeps at most; past that it lets go of the lists it holds.
constexpr std::size_t kViewValues = 100000;

// Keys form a tree below the two root rows; names are kept as written (UTF-16 blobs) and
// folded, and the folded copy is what is unique. Values keep the sequence number of their
// first write, which is their enumeration order. AUTOINCREMENT: a deleted key's id is
// never given to a new key, so a stale handle can never reach somebody else's key.
constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS regkey (
    id     INTEGER PRIMARY KEY AUTOINCREMENT,
    parent INTEGER REFERENCES regkey(id) ON DELETE CASCADE,
    name   BLOB NOT NULL,
    fold   BLOB NOT NULL,
    UNIQUE (parent, fold)
);
CREATE TABLE IF NOT EXISTS regvalue (
    key  INTEGER NOT NULL REFERENCES regkey(id) ON DELETE CASCADE,
    seq  INTEGER NOT NULL,
    name BLOB NOT NULL,
    fold BLOB NOT NULL,
    type INTEGER NOT NULL,
    data BLOB NOT NULL,
    PRIMARY KEY (key, fold),
    UNIQUE (key, seq)
) WITHOUT ROWID;
)";

std::int64_t RootId(RegRoot root) {
    return root == RegRoot::LocalMachine ? kLocalMachineId : kCurrentUserId;
}

// Splits "A\B\C" into its components; one leading or trailing separator is allowed.
std::optional<std::vector<std::u16string_view>> SplitKeyPath(std::u16string_view path) {
    if (path.starts_with(u'\\'))
        path.remove_prefix(1);
    if (path.ends_with(u'\\'))
        path.remove_suffix(1);
    std::vector<std::u16string_view> parts;
    if (path.empty())
        return parts;
    for (;;) {
        const auto at = path.find(u'\\');
        const auto part = path.substr(0, at);
        if (part.empty() || part.size() > kMaxKeyNameLength)
            return std::nullopt;
        parts.push_back(part);
        if (at == std::u16string_view::npos)
            return parts;
        path.remove_prefix(at + 1);
    }
}

// The name the view files a path under: the root, then the components as written.
std::u16string PathKey(RegRoot root, const std::vector<std::u16string_view>& parts,
                       std::size_t count) {
    std::u16string key(1, root == RegRoot::LocalMachine ? u'M' : u'U');
    for (std::size_t i = 0; i < count; ++i) {
        key += u'\\';
        key += parts[i];
    }
    return key;
}

// A key's values in enumeration order, as one read found them.
struct KeyValues {
    std::vector<RegValue> list;
    std::unordered_map<std::u16string, std::size_t> byFold; // made on the first query by name

    const RegValue* Find(std::u16string_view name) {
        if (byFold.empty())
            for (std::size_t i = 0; i < list.size(); ++i)
                byFold.emplace(FoldCase(list[i].name), i);
        const auto it = byFold.find(FoldCase(name));
        return it == byFold.end() ? nullptr : &list[it->second];
    }
};

} // namespace

std::vector<std::uint8_t> EncodeRegString(std::u16string_view text) {
    std::vector<std::uint8_t> data((text.size() + 1) * sizeof(char16_t), 0);
    if (!text.empty())
        std::memcpy(data.data(), text.data(), text.size() * sizeof(char16_t));
    return data;
}

std::u16string DecodeRegString(const std::vector<std::uint8_t>& data) {
    std::u16string text(data.size() / sizeof(char16_t), u'\0');
    if (!text.empty())
        std::memcpy(text.data(), data.data(), text.size() * sizeof(char16_t));
    if (const auto end = text.find(u'\0'); end != std::u16string::npos)
        text.resize(end);
    return text;
}

std::u16string_view RootName(RegRoot root) {
    return root == RegRoot::LocalMachine ? u"HKLM" : u"HKCU";
}

// One connection shared by the threads of the process, one operation at a time.
//
// What the connection reads outside a change of its own goes into a view of the store that
// belongs to the store's last commit: paths to key ids, keys known to exist, and the values
// of keys that were listed. As long as the store's last commit is still that one, nothing has
// changed anywhere since, and the view answers for the store without a transaction; the first
// commit by any process, this one included, retires the view. Ids are never reused, so an id
// in the view is the key its path named.
struct Registry::Impl {
    explicit Impl(const std::filesystem::path& file) : db(file) {}

    sql::Database db;
    std::recursive_mutex mutex;
    int atomicDepth = 0;
    bool refuseWrites = false;
    std::int64_t localWrites = 0; // changes made through this connection
    int batchDepth = 0;
    std::optional<sql::CommitMark> heldRead; // the commit an open read transaction sees

    struct View {
        std::optional<sql::CommitMark> commit; // the state of the store the view shows
        std::unordered_map<std::u16string, std::int64_t> paths;
        std::unordered_map<std::int64_t, std::optional<KeyValues>> keys; // values once listed
        std::size_t values = 0;
    };
    View view;

    // The view, when it still shows the store: outside a change of our own, and with nothing
    // committed since it was read.
    View* Current() {
        if (atomicDepth > 0 || !view.commit)
            return nullptr;
        if (db.LastCommit() != view.commit) {
            view = {};
            return nullptr;
        }
        return &view;
    }

    // Read, and then the view to keep what look found, when nothing was committed while it
    // looked (so that it saw the store as of one known commit); else null.
    template <class Look> RegStatus ReadForView(Look&& look, View*& into) {
        into = nullptr;
        const auto before = atomicDepth == 0 ? db.LastCommit() : std::nullopt;
        const RegStatus status = Read(look);
        if (status == RegStatus::Ok && before && db.LastCommit() == before) {
            if (view.commit != before)
                view = View{before, {}, {}, 0};
            into = &view;
        }
        return status;
    }

    // The values of a key as the view holds them, when it does.
    KeyValues* Held(std::int64_t id) {
        View* current = Current();
        if (!current)
            return nullptr;
        const auto it = current->keys.find(id);
        return it != current->keys.end() && it->second ? &*it->second : nullptr;
    }

    // Runs answer on the values of an existing key: from the view when it holds them, else
    // read in one transaction (and kept in the view when they may be).
    template <class Answer> RegStatus WithValues(std::int64_t id, Answer&& answer) {
        std::lock_guard lock(mutex);
        if (KeyValues* held = Held(id))
            return answer(*held);
        KeyValues loaded;
        View* into = nullptr;
        const RegStatus status = ReadForView(
            [&] {
                if (!KeyExists(id))
                    return RegStatus::KeyDeleted;
                sql::Query q(db, "SELECT name, type, data FROM regvalue WHERE key = ?"
                                 " ORDER BY seq");
                q.Bind(1, id);
                while (q.Step()) {
                    const auto data = q.Blob(2);
                    loaded.list.push_back({q.BlobText(0), static_cast<std::uint32_t>(q.Int(1)),
                                           std::vector<std::uint8_t>(data.begin(), data.end())});
                }
                return RegStatus::Ok;
            },
            into);
        if (status != RegStatus::Ok)
            return status;
        if (!into || loaded.list.size() > kViewValues)
            return answer(loaded);
        if (into->values + loaded.list.size() > kViewValues) {
            for (auto& [key, values] : into->keys)
                values.reset();
            into->values = 0;
        }
        into->values += loaded.list.size();
        auto& kept = into->keys[id];
        kept = std::move(loaded);
        return answer(*kept);
    }

    // Runs change as one transaction (a savepoint inside Atomically); kept only when it
    // returns Ok.
    template <class Change> RegStatus Write(Change&& change) {
        std::lock_guard lock(mutex);
        if (refuseWrites)
            return RegStatus::AccessDenied;
        EndHeldRead();
        try {
            ++localWrites;
            if (atomicDepth > 0) {
                db.Exec("SAVEPOINT op");
                RegStatus status = RegStatus::Failed;
                try {
                    status = change();
                } catch (...) {
                    db.Exec("ROLLBACK TO op");
                    db.Exec("RELEASE op");
                    throw;
                }
                if (status != RegStatus::Ok)
                    db.Exec("ROLLBACK TO op");
                db.Exec("RELEASE op");
                return status;
            }
            sql::Transaction tx(db, sql::Transaction::Kind::Write);
            const RegStatus status = change();
            if (status == RegStatus::Ok)
                tx.Commit();
            return status;
        } catch (const sql::Error& e) {
            return e.IsReadOnly() ? RegStatus::AccessDenied : RegStatus::Failed;
        }
    }

    // Runs look with one consistent view of the store. Inside a batch (InOneRead) the read
    // transaction stays open for the next read for as long as nothing is committed anywhere,
    // so that it still sees the store as it is.
    template <class Look> RegStatus Read(Look&& look) {
        std::lock_guard lock(mutex);
        try {
            if (atomicDepth > 0)
                return look();
            if (heldRead) {
                if (db.LastCommit() == heldRead)
                    return look();
                EndHeldRead();
            }
            const auto before = batchDepth > 0 ? db.LastCommit() : std::nullopt;
            sql::Transaction tx(db, sql::Transaction::Kind::Read);
            const RegStatus status = look();
            if (before && db.LastCommit() == before) {
                tx.KeepOpen();
                heldRead = before;
            } else {
                tx.Commit();
            }
            return status;
        } catch (const sql::Error&) {
            if (heldRead) {
                heldRead.reset();
                db.RollbackQuietly();
            }
            return RegStatus::Failed;
        }
    }

    void EndHeldRead() {
        if (!heldRead)
            return;
        heldRead.reset();
        try {
            sql::Query(db, "COMMIT").Run();
        } catch (const sql::Error&) {
            db.RollbackQuietly();
        }
    }

    bool KeyExists(std::int64_t id) {
        sql::Query q(db, "SELECT 1 FROM regkey WHERE id = ?");
        return q.Bind(1, id).Step();
    }

    std::optional<std::int64_t> Child(std::int64_t parent, std::u16string_view name) {
        sql::Query q(db, "SELECT id FROM regkey WHERE parent = ? AND fold = ?");
        q.Bind(1, parent).BindBlob(2, FoldCase(name));
        if (!q.Step())
            return std::nullopt;
        return q.Int(0);
    }

    std::int64_t AddChild(std::int64_t parent, std::u16string_view name) {
        sql::Query q(db, "INSERT INTO regkey (parent, name, fold) VALUES (?, ?, ?)");
        q.Bind(1, parent).BindBlob(2, name).BindBlob(3, FoldCase(name)).Run();
        return db.LastInsertId();
    }

    // Follows the path from a key; how far it got and whether it got all the way.
    struct Walk {
        std::int64_t id;
        std::size_t matched;
    };
    // found collects the ids met; first: the components before it are already behind from.
    Walk Follow(std::int64_t from, const std::vector<std::u16string_view>& parts,
                std::vector<std::int64_t>* found = nullptr, std::size_t first = 0) {
        Walk walk{from, first};
        for (; walk.matched < parts.size(); ++walk.matched) {
            const auto child = Child(walk.id, parts[walk.matched]);
            if (!child)
                break;
            walk.id = *child;
            if (found)
                found->push_back(walk.id);
        }
        return walk;
    }

    // Opens a key that exists: from the view, else by a walk down the path from the deepest
    // key on it that the view knows; the view then keeps every key of the path.
    RegStatus Find(RegRoot root, const std::vector<std::u16string_view>& parts, std::int64_t& id) {
        std::lock_guard lock(mutex);
        std::size_t known = 0; // components of the path the view knows
        std::int64_t from = RootId(root);
        std::optional<sql::CommitMark> knownAt;
        if (View* current = Current())
            for (std::size_t n = parts.size(); n > 0 && known == 0; --n)
                if (const auto it = current->paths.find(PathKey(root, parts, n));
                    it != current->paths.end()) {
                    if (n == parts.size()) {
                        id = it->second;
                        return RegStatus::Ok;
                    }
                    known = n;
                    from = it->second;
                    knownAt = current->commit;
                }
        std::vector<std::int64_t> found;
        const auto walk = [&] {
            found.clear();
            const auto reached = Follow(from, parts, &found, known);
            id = reached.id;
            return reached.matched == parts.size() ? RegStatus::Ok : RegStatus::NotFound;
        };
        View* into = nullptr;
        RegStatus status = ReadForView(walk, into);
        if (known > 0 && (!into || into->commit != knownAt)) {
            // Something was committed since the view knew the key the walk began at, or the
            // walk stopped short: from the root again.
            known = 0;
            from = RootId(root);
            status = ReadForView(walk, into);
        }
        if (into) {
            into->paths.emplace(PathKey(root, parts, 0), RootId(root));
            into->keys.try_emplace(RootId(root));
            for (std::size_t i = 0; i < found.size(); ++i) {
                into->paths.emplace(PathKey(root, parts, known + i + 1), found[i]);
                into->keys.try_emplace(found[i]);
            }
        }
        return status;
    }
};

Registry::Registry() = default;
Registry::~Registry() = default;

std::shared_ptr<Registry> Registry::Open(const std::filesystem::path& file, std::string& error) {
    std::shared_ptr<Registry> registry(new Registry());
    try {
        registry->m_impl = std::make_unique<Impl>(file);
        auto& db = registry->m_impl->db;
        sql::Transaction tx(db, sql::Transaction::Kind::Write);
        sql::Query version(db, "PRAGMA user_version");
        version.Step();
        const auto found = version.Int(0);
        if (found > kSchemaVersion) {
            error = "made by a newer version of the program";
            return nullptr;
        }
        db.Exec(kSchema);
        db.Exec("INSERT OR IGNORE INTO regkey (id, parent, name, fold) VALUES"
                " (1, NULL, 'HKEY_LOCAL_MACHINE', 'hkey_local_machine'),"
                " (2, NULL, 'HKEY_CURRENT_USER', 'hkey_current_user');"
                "PRAGMA user_version = 1");
        tx.Commit();
    } catch (const sql::Error& e) {
        error = e.what();
        return nullptr;
    }
    return registry;
}

RegStatus Registry::CreateKey(RegRoot root, std::u16string_view path, RegistryKey& key,
                              bool& existed) {
    key.Close();
    const auto parts = SplitKeyPath(path);
    if (!parts)
        return RegStatus::InvalidName;
    auto& impl = *m_impl;
    std::int64_t id = 0;
    // Most opens find the key; only a missing one takes the write lock.
    RegStatus status = impl.Find(root, *parts, id);
    if (status == RegStatus::Ok) {
        existed = true;
    } else if (status == RegStatus::NotFound) {
        status = impl.Write([&] {
            auto walk = impl.Follow(RootId(root), *parts);
            existed = walk.matched == parts->size();
            for (; walk.matched < parts->size(); ++walk.matched)
                walk.id = impl.AddChild(walk.id, (*parts)[walk.matched]);
            id = walk.id;
            return RegStatus::Ok;
        });
    }
    if (status == RegStatus::Ok)
        key = RegistryKey(shared_from_this(), id);
    return status;
}

RegStatus Registry::OpenKey(RegRoot root, std::u16string_view path, RegistryKey& key) {
    key.Close();
    const auto parts = SplitKeyPath(path);
    if (!parts)
        return RegStatus::InvalidName;
    std::int64_t id = 0;
    const RegStatus status = m_impl->Find(root, *parts, id);
    if (status == RegStatus::Ok)
        key = RegistryKey(shared_from_this(), id);
    return status;
}

// The transaction stays open, and the connection to this thread, until EndAtomic.
bool Registry::BeginAtomic() {
    m_impl->mutex.lock();
    if (m_impl->atomicDepth == 0) {
        m_impl->EndHeldRead();
        try {
            m_impl->db.Exec("BEGIN IMMEDIATE");
        } catch (const sql::Error&) {
            return false; // the operations inside then run each on its own
        }
    }
    ++m_impl->atomicDepth;
    return true;
}

void Registry::EndAtomic(bool entered, bool commit) {
    if (entered && --m_impl->atomicDepth == 0) {
        try {
            m_impl->db.Exec(commit ? "COMMIT" : "ROLLBACK");
        } catch (const sql::Error&) {
            m_impl->db.RollbackQuietly();
        }
    }
    m_impl->mutex.unlock();
}

void Registry::BeginBatch() {
    std::lock_guard lock(m_impl->mutex);
    ++m_impl->batchDepth;
}

void Registry::EndBatch() {
    std::lock_guard lock(m_impl->mutex);
    if (--m_impl->batchDepth == 0)
        m_impl->EndHeldRead();
}

void Registry::RefuseWrites(bool refuse) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->refuseWrites = refuse;
}

RegistryKey::RegistryKey(std::shared_ptr<Registry> registry, std::int64_t id)
    : m_registry(std::move(registry)), m_id(id) {}

RegistryKey::RegistryKey(RegistryKey&& other) noexcept
    : m_registry(std::move(other.m_registry)), m_id(other.m_id), m_cursor(other.m_cursor) {}

RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept {
    m_registry = std::move(other.m_registry);
    m_id = other.m_id;
    m_cursor = other.m_cursor;
    return *this;
}

RegistryKey::~RegistryKey() = default;

template <class Step> RegStatus RegistryKey::Reading(Step&& step) const {
    if (!m_registry)
        return RegStatus::Failed;
    auto& impl = *m_registry->m_impl;
    return impl.Read([&] { return impl.KeyExists(m_id) ? step(impl) : RegStatus::KeyDeleted; });
}

template <class Step> RegStatus RegistryKey::Writing(Step&& step) {
    if (!m_registry)
        return RegStatus::Failed;
    auto& impl = *m_registry->m_impl;
    return impl.Write([&] { return impl.KeyExists(m_id) ? step(impl) : RegStatus::KeyDeleted; });
}

void RegistryKey::Close() {
    m_registry.reset();
    m_cursor = {};
}

RegStatus RegistryKey::SetValue(std::u16string_view name, std::uint32_t type,
                                const std::vector<std::uint8_t>& data) {
    if (name.size() > kMaxValueNameLength)
        return RegStatus::InvalidName;
    return Writing([&](Registry::Impl& impl) {
        sql::Query q(
            impl.db,
            "INSERT INTO regvalue (key, seq, name, fold, type, data) VALUES (?1,"
            " (SELECT coalesce(max(seq), 0) + 1 FROM regvalue WHERE key = ?1), ?2, ?3, ?4, ?5)"
            " ON CONFLICT (key, fold) DO UPDATE SET type = excluded.type, data = excluded.data");
        q.Bind(1, m_id)
            .BindBlob(2, name)
            .BindBlob(3, FoldCase(name))
            .Bind(4, type)
            .BindBlob(5, data);
        q.Run();
        return RegStatus::Ok;
    });
}

RegStatus RegistryKey::SetString(std::u16string_view name, std::u16string_view text) {
    return SetValue(name, kRegString, EncodeRegString(text));
}

RegStatus RegistryKey::QueryValue(std::u16string_view name, std::size_t maxDataBytes,
                                  RegValue& value) const {
    if (!m_registry)
        return RegStatus::Failed;
    auto& shared = *m_registry->m_impl;
    std::lock_guard lock(shared.mutex);
    // A key listed since the last commit answers from the view; any other by one look-up.
    auto answer = [&](std::u16string_view found, std::uint32_t type,
                      std::span<const std::uint8_t> data) {
        if (data.size() > maxDataBytes)
            return RegStatus::MoreData;
        value.name = found;
        value.type = type;
        value.data.assign(data.begin(), data.end());
        return RegStatus::Ok;
    };
    if (KeyValues* held = shared.Held(m_id)) {
        const RegValue* found = held->Find(name);
        return found ? answer(found->name, found->type, found->data) : RegStatus::NotFound;
    }
    return Reading([&](Registry::Impl& impl) {
        sql::Query q(impl.db, "SELECT name, type, data FROM regvalue WHERE key = ? AND fold = ?");
        q.Bind(1, m_id).BindBlob(2, FoldCase(name));
        if (!q.Step())
            return RegStatus::NotFound;
        return answer(q.BlobText(0), static_cast<std::uint32_t>(q.Int(1)), q.Blob(2));
    });
}

RegStatus RegistryKey::DeleteValue(std::u16string_view name) {
    return Writing([&](Registry::Impl& impl) {
        sql::Query q(impl.db, "DELETE FROM regvalue WHERE key = ? AND fold = ?");
        q.Bind(1, m_id).BindBlob(2, FoldCase(name)).Run();
        return impl.db.Changes() > 0 ? RegStatus::Ok : RegStatus::NotFound;
    });
}

RegStatus RegistryKey::DeleteSubKey(std::u16string_view name) {
    const auto parts = SplitKeyPath(name);
    if (!parts || parts->empty())
        return RegStatus::InvalidName;
    return Writing([&](Registry::Impl& impl) {
        const auto walk = impl.Follow(m_id, *parts);
        if (walk.matched != parts->size())
            return RegStatus::NotFound;
        // Foreign keys cascade to the values and every key below.
        sql::Query q(impl.db, "DELETE FROM regkey WHERE id = ?");
        q.Bind(1, walk.id).Run();
        return RegStatus::Ok;
    });
}

RegStatus RegistryKey::CountValues(std::uint32_t& count) const {
    if (!m_registry)
        return RegStatus::Failed;
    auto& shared = *m_registry->m_impl;
    std::lock_guard lock(shared.mutex);
    // Counting starts a listing: the whole key is read once, for the steps that follow. Inside
    // a change of our own, which the view never holds, the store counts.
    if (shared.atomicDepth == 0)
        return shared.WithValues(m_id, [&](const KeyValues& values) {
            count = static_cast<std::uint32_t>(values.list.size());
            return RegStatus::Ok;
        });
    return Reading([&](Registry::Impl& impl) {
        sql::Query q(impl.db, "SELECT count(*) FROM regvalue WHERE key = ?");
        q.Bind(1, m_id).Step();
        count = static_cast<std::uint32_t>(q.Int(0));
        return RegStatus::Ok;
    });
}

RegStatus RegistryKey::EnumValue(std::uint32_t index, std::size_t maxNameChars,
                                 std::size_t maxDataBytes, RegValue& value) {
    if (!m_registry)
        return RegStatus::Failed;
    auto& shared = *m_registry->m_impl;
    std::lock_guard lock(shared.mutex);
    // A listing starts by reading the whole key, and goes on from the view while nothing
    // changes; after a change, or inside a change of our own, by index, one look-up a step.
    if (shared.atomicDepth == 0 && (index == 0 || shared.Held(m_id)))
        return shared.WithValues(m_id, [&](const KeyValues& values) {
            if (index >= values.list.size())
                return RegStatus::NoMoreItems;
            const RegValue& found = values.list[index];
            if (found.name.size() >= maxNameChars || found.data.size() > maxDataBytes) {
                value = {};
                return RegStatus::MoreData;
            }
            value = found;
            return RegStatus::Ok;
        });
    return Reading([&](Registry::Impl& impl) {
        // Index i + 1 right after index i, with nothing changed in between, is the next
        // value after the one we returned: one index step instead of a scan from the start.
        // The key check has begun this read's snapshot, so the version belongs to it.
        const std::int64_t others = impl.db.DataVersion();
        const bool next = m_cursor.othersVersion == others &&
                          m_cursor.ownVersion == impl.localWrites && index == m_cursor.index + 1;
        const bool first = index == 0;
        sql::Query q(impl.db,
                     next || first
                         ? "SELECT seq, name, type, data FROM regvalue WHERE key = ?1 AND seq > ?2"
                           " ORDER BY seq LIMIT 1"
                         : "SELECT seq, name, type, data FROM regvalue WHERE key = ?1"
                           " ORDER BY seq LIMIT 1 OFFSET ?2");
        q.Bind(1, m_id).Bind(2, next ? m_cursor.seq : first ? 0 : static_cast<std::int64_t>(index));
        if (!q.Step())
            return RegStatus::NoMoreItems;
        m_cursor = {index, q.Int(0), others, impl.localWrites};
        const auto data = q.Blob(3);
        value.name = q.BlobText(1);
        if (value.name.size() >= maxNameChars || data.size() > maxDataBytes) {
            value = {};
            return RegStatus::MoreData;
        }
        value.type = static_cast<std::uint32_t>(q.Int(2));
        value.data.assign(data.begin(), data.end());
        return RegStatus::Ok;
    });
}

RegStatus RegistryKey::AllValues(std::vector<RegValue>& values) const {
    if (!m_registry)
        return RegStatus::Failed;
    return m_registry->m_impl->WithValues(m_id, [&](const KeyValues& found) {
        values = found.list;
        return RegStatus::Ok;
    });
}

RegStatus RegistryKey::SubKeyNames(std::vector<std::u16string>& names) const {
    return Reading([&](Registry::Impl& impl) {
        names.clear();
        sql::Query q(impl.db, "SELECT name FROM regkey WHERE parent = ? ORDER BY id");
        q.Bind(1, m_id);
        while (q.Step())
            names.push_back(q.BlobText(0));
        return RegStatus::Ok;
    });
}

} // namespace platform
