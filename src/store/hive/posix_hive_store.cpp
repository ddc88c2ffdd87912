// Hive files through hivex (Linux builds): a hive read into memory, keys reached by walking
// cached, case-insensitively sorted child lists, changes made on the in-memory copy and
// committed to a new file renamed over the hive. Not built on Windows.
#include <fcntl.h>
#include <hivex.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "store/hive/hive_file_checks.h"
#include "store/hive/hive_store.h"
#include "store/key_path.h"
#include "text/text.h"
#include "text/unicode.h"

namespace hivewarden::registry {
namespace {

std::string Reason(int error) { return std::strerror(error); }

// Memory hivex hands over, freed with free().
template <typename T>
struct Freed {
    T* Pointer = nullptr;
    explicit Freed(T* pointer) : Pointer(pointer) {}
    ~Freed() { std::free(Pointer); }
    Freed(const Freed&) = delete;
    Freed& operator=(const Freed&) = delete;
};

// A value type as hivex takes it: the 32 bits as they are, whatever number they hold.
hive_type TypeOf(std::uint32_t type) {
    hive_type result{};
    static_assert(sizeof(result) == sizeof(type));
    std::memcpy(&result, &type, sizeof(type));
    return result;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// What identifies the file's contents as read: a rename or a rewrite changes one of these.
struct FileIdentity {
    dev_t Device = 0;
    ino_t Inode = 0;
    off_t Size = 0;
    timespec Modified{};
    mode_t Mode = 0644;
    uid_t Owner = 0;
    gid_t Group = 0;

    bool SameFile(const FileIdentity& o) const {
        return Device == o.Device && Inode == o.Inode && Size == o.Size &&
               Modified.tv_sec == o.Modified.tv_sec && Modified.tv_nsec == o.Modified.tv_nsec;
    }
};

bool Identify(const std::string& path, FileIdentity& identity) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return false;
    identity = {info.st_dev,  info.st_ino, info.st_size, info.st_mtim,
                info.st_mode, info.st_uid, info.st_gid};
    return true;
}

// Whether another program holds the file locked, tested without taking a lock that lasts:
// a POSIX record lock or open-file-description lock anywhere in the file (F_GETLK for a write
// lock over the whole file), or a flock() lock (a non-blocking exclusive flock, released at
// once). Empty text when nothing holds it.
std::string LockReason(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return "cannot open " + path + ": " + Reason(errno);
    std::string reason;
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    if (::fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK) {
        reason = path + " is locked by another program";
        if (probe.l_pid > 0) reason += " (process " + std::to_string(probe.l_pid) + ")";
    } else if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK) reason = path + " is locked by another program (flock)";
    } else {
        ::flock(fd, LOCK_UN);
    }
    ::close(fd);
    return reason;
}

bool SyncFile(const std::string& path, bool folder) {
    const int fd = ::open(path.c_str(), (folder ? O_RDONLY | O_DIRECTORY : O_RDONLY) | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

// Keys and values a damaged hive cannot give, found by walking it once.
struct Unreadable {
    std::size_t Keys = 0;
    std::size_t Values = 0;
    std::string First;  // the path of the first key that could not be read in full
};

void WalkForDamage(hive_h* hive, hive_node_h node, const std::string& path, Unreadable& found,
                   int depth) {
    auto note = [&](std::size_t& count) {
        ++count;
        if (found.First.empty()) found.First = path.empty() ? "(root)" : path;
    };
    if (depth > 512) return note(found.Keys);
    const Freed<hive_value_h> values(hivex_node_values(hive, node));
    if (values.Pointer == nullptr) {
        note(found.Values);
    } else {
        for (const hive_value_h* v = values.Pointer; *v != 0; ++v) {
            hive_type type{};
            std::size_t length = 0;
            const Freed<char> key(hivex_value_key(hive, *v));
            const Freed<char> data(hivex_value_value(hive, *v, &type, &length));
            if (key.Pointer == nullptr || data.Pointer == nullptr) note(found.Values);
        }
    }
    const Freed<hive_node_h> children(hivex_node_children(hive, node));
    if (children.Pointer == nullptr) return note(found.Keys);
    for (const hive_node_h* child = children.Pointer; *child != 0; ++child) {
        const Freed<char> name(hivex_node_name(hive, *child));
        if (name.Pointer == nullptr) {
            note(found.Keys);
            continue;
        }
        WalkForDamage(hive, *child, path.empty() ? name.Pointer : path + "\\" + name.Pointer,
                      found, depth + 1);
    }
}

class PosixHiveStore final : public HiveStore {
public:
    PosixHiveStore(hive_h* hive, std::string path, std::string readOnlyReason,
                   const FileIdentity& identity)
        : hive_(hive),
          path_(std::move(path)),
          readOnlyReason_(std::move(readOnlyReason)),
          identity_(identity) {}
    ~PosixHiveStore() override { hivex_close(hive_); }
    PosixHiveStore(const PosixHiveStore&) = delete;
    PosixHiveStore& operator=(const PosixHiveStore&) = delete;

    const std::string& Path() const override { return path_; }
    const std::string& ReadOnlyReason() const override { return readOnlyReason_; }
    bool Changed() const override { return changed_; }

    StoreHandle Open(RootKey, std::string_view path) override {
        const hive_node_h node = Find(path);
        return node == 0 ? 0 : NewHandle(node);
    }

    StoreHandle Create(RootKey, std::string_view path) override {
        hive_node_h node = hivex_root(hive_);
        for (std::string_view part : KeyPathComponents(path)) {
            if (part.empty() || node == 0) return 0;
            hive_node_h child = Child(node, part);
            if (child == 0) {
                if (!Writable()) return 0;
                const std::string name(part);
                child = hivex_node_add_child(hive_, node, name.c_str());
                children_.erase(node);
                if (child == 0) return 0;
                changed_ = true;
            }
            node = child;
        }
        return node == 0 ? 0 : NewHandle(node);
    }

    void Close(StoreHandle key) override { handles_.erase(key); }

    bool SubkeyName(StoreHandle key, std::uint32_t index, std::string& name) override {
        const std::vector<Entry>* children = Children(Lookup(key));
        if (children == nullptr || index >= children->size()) return false;
        name = (*children)[index].Name;
        return true;
    }

    bool ValueName(StoreHandle key, std::uint32_t index, std::string& name) override {
        const std::vector<Entry>* values = Values(Lookup(key));
        if (values == nullptr || index >= values->size()) return false;
        name = (*values)[index].Name;
        return true;
    }

    bool ValueAt(StoreHandle key, std::uint32_t index, std::string& name,
                 std::optional<RawValue>& value) override {
        const std::vector<Entry>* values = Values(Lookup(key));
        if (values == nullptr || index >= values->size()) return false;
        name = (*values)[index].Name;
        value.reset();
        RawValue raw;
        if (ReadCell((*values)[index].Item, raw)) value = std::move(raw);
        return true;
    }

    bool LongestValueName(StoreHandle key, std::uint32_t& length) override {
        const std::vector<Entry>* values = Values(Lookup(key));
        if (values == nullptr) return false;
        length = 0;
        for (const Entry& value : *values) {
            length = std::max(length, static_cast<std::uint32_t>(Utf16FromUtf8(value.Name).size()));
        }
        return true;
    }

    bool QueryKeyCounts(StoreHandle key, KeyCounts& counts) override {
        const hive_node_h node = Lookup(key);
        const std::vector<Entry>* children = Children(node);
        const std::vector<Entry>* values = Values(node);
        if (children == nullptr || values == nullptr) return false;
        counts.Subkeys = static_cast<std::uint32_t>(children->size());
        counts.Values = static_cast<std::uint32_t>(values->size());
        return true;
    }

    bool Read(StoreHandle key, std::string_view name, RawValue& value) override {
        const Entry* entry = FindValue(Lookup(key), name);
        return entry != nullptr && ReadCell(entry->Item, value);
    }

    bool Write(StoreHandle key, std::string_view name, const RawValue& value) override {
        const hive_node_h node = Lookup(key);
        if (node == 0 || !Writable()) return false;
        // A value written again keeps the spelling its name has in the hive.
        const Entry* existing = FindValue(node, name);
        std::string spelled(existing != nullptr ? existing->Name : std::string(name));
        std::string bytes = value.Bytes;
        hive_set_value set{spelled.data(), TypeOf(value.Type), bytes.size(), bytes.data()};
        values_.erase(node);
        if (hivex_node_set_value(hive_, node, &set, 0) != 0) return false;
        changed_ = true;
        return true;
    }

    bool DeleteValue(StoreHandle key, std::string_view name) override {
        const hive_node_h node = Lookup(key);
        if (node == 0 || !Writable()) return false;
        const std::vector<Entry>* values = Values(node);
        if (values == nullptr) return false;
        // hivex sets a key's values as a whole: every other value is written again as it is.
        std::vector<std::string> names;
        std::vector<RawValue> kept;
        bool found = false;
        for (const Entry& entry : *values) {
            if (!found && EqualsNoCase(entry.Name, name)) {
                found = true;
                continue;
            }
            RawValue raw;
            if (!ReadCell(entry.Item, raw)) return false;  // never drop a value unread
            names.push_back(entry.Name);
            kept.push_back(std::move(raw));
        }
        if (!found) return false;
        std::vector<hive_set_value> set;
        for (std::size_t i = 0; i < kept.size(); ++i) {
            set.push_back({names[i].data(), TypeOf(kept[i].Type), kept[i].Bytes.size(),
                           kept[i].Bytes.data()});
        }
        values_.erase(node);
        if (hivex_node_set_values(hive_, node, set.size(), set.data(), 0) != 0) return false;
        changed_ = true;
        return true;
    }

    bool DeleteLeafKey(RootKey, std::string_view path) override {
        if (path.empty() || !Writable()) return false;
        const hive_node_h node = Find(path);
        if (node == 0 || node == hivex_root(hive_)) return false;
        const std::vector<Entry>* children = Children(node);
        if (children == nullptr || !children->empty() || hivex_node_nr_children(hive_, node) != 0) {
            return false;
        }
        const hive_node_h parent = hivex_node_parent(hive_, node);
        if (parent == 0 || hivex_node_delete_child(hive_, node) != 0) return false;
        changed_ = true;
        children_.erase(parent);
        children_.erase(node);
        values_.erase(node);
        for (auto& [handle, opened] : handles_) {
            if (opened == node) opened = 0;  // answers as a vanished key from now on
        }
        return true;
    }

    bool CheckWritable(std::string& error) override {
        if (!readOnlyReason_.empty()) {
            error = readOnlyReason_;
            return false;
        }
        FileIdentity now;
        if (!Identify(path_, now)) {
            error = "cannot read " + path_ + ": " + Reason(errno);
            return false;
        }
        if (!now.SameFile(identity_)) {
            error = path_ + " changed on disk since it was read; nothing was written to it";
            return false;
        }
        if (std::string locked = LockReason(path_); !locked.empty()) {
            error = locked;
            return false;
        }
        return true;
    }

    bool Commit(std::string& error) override {
        if (!changed_) return true;
        if (!CheckWritable(error)) return false;
        std::string temp = path_ + ".tmp-XXXXXX";
        const int fd = ::mkstemp(temp.data());
        if (fd < 0) {
            error = "cannot create a file beside " + path_ + ": " + Reason(errno);
            return false;
        }
        ::fchmod(fd, identity_.Mode & 07777);
        if (::fchown(fd, identity_.Owner, identity_.Group) != 0) {
            // Only the owner's own files can be given away; the hive keeps its mode.
        }
        ::close(fd);
        auto fail = [&](const std::string& what) {
            error = what + "; " + path_ + " was not changed";
            ::unlink(temp.c_str());
            return false;
        };
        if (hivex_commit(hive_, temp.c_str(), 0) != 0) {
            return fail("cannot write " + temp + ": " + Reason(errno));
        }
        if (!SyncFile(temp, false)) return fail("cannot flush " + temp + " to disk");
        if (::rename(temp.c_str(), path_.c_str()) != 0) {
            return fail("cannot replace " + path_ + ": " + Reason(errno));
        }
        SyncFile(FolderOf(path_), true);
        Identify(path_, identity_);
        changed_ = false;
        return true;
    }

private:
    struct Entry {
        std::string Name;
        std::size_t Item = 0;  // hive_node_h or hive_value_h
    };

    bool Writable() const { return readOnlyReason_.empty(); }

    StoreHandle NewHandle(hive_node_h node) {
        const StoreHandle handle = nextHandle_++;
        handles_.emplace(handle, node);
        return handle;
    }

    hive_node_h Lookup(StoreHandle key) const {
        const auto it = handles_.find(key);
        return it == handles_.end() ? 0 : it->second;
    }

    hive_node_h Find(std::string_view path) {
        hive_node_h node = hivex_root(hive_);
        for (std::string_view part : KeyPathComponents(path)) {
            if (part.empty() || node == 0) return 0;
            node = Child(node, part);
        }
        return node;
    }

    hive_node_h Child(hive_node_h node, std::string_view name) {
        const std::vector<Entry>* children = Children(node);
        if (children == nullptr) return 0;
        const auto it = std::lower_bound(
            children->begin(), children->end(), name,
            [](const Entry& child, std::string_view n) {
                return CompareNoCase(child.Name, n) < 0;
            });
        return it != children->end() && EqualsNoCase(it->Name, name) ? it->Item : 0;
    }

    // The subkeys of a key in case-insensitive name order; null when they cannot be read.
    // Subkeys whose names cannot be read are left out.
    const std::vector<Entry>* Children(hive_node_h node) {
        if (node == 0) return nullptr;
        if (const auto it = children_.find(node); it != children_.end()) return &it->second;
        const Freed<hive_node_h> list(hivex_node_children(hive_, node));
        if (list.Pointer == nullptr) return nullptr;
        std::vector<Entry> entries;
        for (const hive_node_h* child = list.Pointer; *child != 0; ++child) {
            const Freed<char> name(hivex_node_name(hive_, *child));
            if (name.Pointer != nullptr) entries.push_back({name.Pointer, *child});
        }
        std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
            return CompareNoCase(a.Name, b.Name) < 0;
        });
        if (children_.size() >= kCacheLimit) children_.clear();
        return &children_.emplace(node, std::move(entries)).first->second;
    }

    // The values of a key in the hive's order; null when the list cannot be read. Values
    // whose names cannot be read are left out.
    const std::vector<Entry>* Values(hive_node_h node) {
        if (node == 0) return nullptr;
        if (const auto it = values_.find(node); it != values_.end()) return &it->second;
        const Freed<hive_value_h> list(hivex_node_values(hive_, node));
        if (list.Pointer == nullptr) return nullptr;
        std::vector<Entry> entries;
        for (const hive_value_h* value = list.Pointer; *value != 0; ++value) {
            const Freed<char> name(hivex_value_key(hive_, *value));
            if (name.Pointer != nullptr) entries.push_back({name.Pointer, *value});
        }
        if (values_.size() >= kCacheLimit) values_.clear();
        return &values_.emplace(node, std::move(entries)).first->second;
    }

    const Entry* FindValue(hive_node_h node, std::string_view name) {
        const std::vector<Entry>* values = Values(node);
        if (values == nullptr) return nullptr;
        const auto it = std::find_if(values->begin(), values->end(),
                                     [&](const Entry& v) { return EqualsNoCase(v.Name, name); });
        return it == values->end() ? nullptr : &*it;
    }

    bool ReadCell(hive_value_h item, RawValue& value) {
        hive_type type{};
        std::size_t length = 0;
        const Freed<char> data(hivex_value_value(hive_, item, &type, &length));
        if (data.Pointer == nullptr) return false;
        // Any 32-bit number is a type (device properties use 0xFFFF0000 and up): copied as bits.
        static_assert(sizeof(type) == sizeof(value.Type));
        std::memcpy(&value.Type, &type, sizeof(value.Type));
        value.Bytes.assign(data.Pointer, length);
        return true;
    }

    // Cached lists are dropped all at once past this many keys (a walk needs few at a time).
    static constexpr std::size_t kCacheLimit = 1 << 16;

    hive_h* hive_;
    std::string path_;
    std::string readOnlyReason_;
    FileIdentity identity_;
    bool changed_ = false;
    std::unordered_map<StoreHandle, hive_node_h> handles_;
    StoreHandle nextHandle_ = 1;
    std::unordered_map<hive_node_h, std::vector<Entry>> children_;
    std::unordered_map<hive_node_h, std::vector<Entry>> values_;
};

}  // namespace

bool HiveFilesSupported() { return true; }

std::unique_ptr<HiveStore> OpenHiveFile(const std::string& path, std::string& error,
                                        bool forWriting) {
    FileIdentity identity;
    if (!Identify(path, identity)) {
        error = "cannot read " + path + ": " + Reason(errno);
        return nullptr;
    }
    if (!S_ISREG(identity.Mode)) {
        error = path + " is not a file";
        return nullptr;
    }
    HiveSequence sequence;
    if (!ReadHiveSequence(path, sequence)) {
        error = path + " is not a registry hive file (it does not start with \"regf\")";
        return nullptr;
    }
    std::string readOnly = forWriting ? PendingLogReason(path) : path + " is open for reading only";
    if (readOnly.empty()) readOnly = LockReason(path);
    if (readOnly.empty() && ::access(path.c_str(), W_OK) != 0) {
        readOnly = path + " cannot be written: " + Reason(errno);
    }
    hive_h* hive = hivex_open(path.c_str(), readOnly.empty() ? HIVEX_OPEN_WRITE : 0);
    if (hive == nullptr) {
        const int strictError = errno;
        hive = hivex_open(path.c_str(), HIVEX_OPEN_UNSAFE);
        if (hive == nullptr) {
            error = "cannot read the hive " + path + ": " + Reason(strictError) +
                    " (the file is damaged or is no hive)";
            return nullptr;
        }
        Unreadable found;
        WalkForDamage(hive, hivex_root(hive), "", found, 0);
        readOnly = path + " is damaged (" + Reason(strictError) +
                   "); it is read as far as it can be and never written";
        if (found.Keys + found.Values > 0) {
            readOnly += ": " + std::to_string(found.Keys) + " keys and " +
                        std::to_string(found.Values) + " values cannot be read and are skipped"
                        " (the first below " + found.First + ")";
        }
    }
    return std::make_unique<PosixHiveStore>(hive, path, std::move(readOnly), identity);
}

}  // namespace hivewarden::registry
