// The registry seam in memory, for the native build. Every rule here was
// measured against RegOpenKeyExA and the rest under Wine, so that the same
// tests pass on both sides: names compared without regard to case (code page
// 1252 letters included), the stored spelling kept when a value is replaced,
// "does not fit" as RegEnumValueA reports it, and the path rules of the ANSI
// functions. Values are enumerated in the order they were first written, as
// Windows does (Wine sorts them by name; callers rely on neither).
#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/Registry.h"
#include "platform/RegistryTesting.h"

namespace platform {

namespace {

// Wine's ANSI functions convert the path into a buffer of 260 characters.
constexpr size_t kMaxPathLength = 260;
// Longest key name and value name the registry accepts.
constexpr size_t kMaxKeyNameLength = 256;
constexpr size_t kMaxValueNameLength = 16383;

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return FoldRegistryCase(x) == FoldRegistryCase(y); });
}

struct Value {
    std::string name;
    uint32_t type = kRegNone;
    std::string data;
};

// A key's values in the order they were first written, found by name or by
// enumeration index in logarithmic time: catalogs of tens of thousands of
// papers are written, enumerated and cleared value by value.
class ValueTable {
public:
    // The value at enumeration `index`, or null past the end.
    const Value* At(size_t index) const {
        if (index >= liveCount_) return nullptr;
        // Binary lifting over the tree: the last position whose prefix count
        // is still at most `index`.
        const size_t n = slots_.size();
        size_t position = 0;
        size_t remaining = index + 1;
        size_t step = 1;
        while (step * 2 <= n) step *= 2;
        for (; step > 0; step /= 2) {
            if (position + step <= n && tree_[position + step] < remaining) {
                position += step;
                remaining -= tree_[position];
            }
        }
        return &slots_[position];
    }

    Value* Find(const std::string& name) {
        const auto found = slotByName_.find(FoldRegistryName(name));
        return found == slotByName_.end() ? nullptr : &slots_[found->second];
    }

    void Add(Value value) {
        const std::string folded = FoldRegistryName(value.name);
        slots_.push_back(std::move(value));
        live_.push_back(true);
        // The new node of a Fenwick tree covers (n - lowbit(n), n].
        const size_t n = slots_.size();
        tree_.push_back(1 + Prefix(n - 1) - Prefix(n - (n & (~n + 1))));
        slotByName_[folded] = n - 1;
        ++liveCount_;
    }

    bool Erase(const std::string& name) {
        const auto found = slotByName_.find(FoldRegistryName(name));
        if (found == slotByName_.end()) return false;
        const size_t slot = found->second;
        slotByName_.erase(found);
        live_[slot] = false;
        slots_[slot] = Value{};
        for (size_t i = slot + 1; i < tree_.size(); i += i & (~i + 1)) --tree_[i];
        --liveCount_;
        const size_t dead = slots_.size() - liveCount_;
        if (dead > 64 && dead > liveCount_) Compact();
        return true;
    }

private:
    // Live values up to 1-based position `position`.
    size_t Prefix(size_t position) const {
        size_t sum = 0;
        for (; position > 0; position -= position & (~position + 1)) sum += tree_[position];
        return sum;
    }

    void Compact() {
        std::vector<Value> kept;
        kept.reserve(liveCount_);
        for (size_t i = 0; i < slots_.size(); ++i) {
            if (live_[i]) kept.push_back(std::move(slots_[i]));
        }
        slots_ = std::move(kept);
        live_.assign(slots_.size(), true);
        tree_.assign(slots_.size() + 1, 0);
        slotByName_.clear();
        for (size_t i = 1; i <= slots_.size(); ++i) {
            tree_[i] += 1;
            const size_t parent = i + (i & (~i + 1));
            if (parent <= slots_.size()) tree_[parent] += tree_[i];
            slotByName_[FoldRegistryName(slots_[i - 1].name)] = i - 1;
        }
    }

    std::vector<Value> slots_;                 // erased ones stay as empty slots until compacted
    std::vector<bool> live_;
    std::vector<size_t> tree_{0};              // Fenwick tree of live counts, 1-based
    std::unordered_map<std::string, size_t> slotByName_;  // by folded name
    size_t liveCount_ = 0;
};

struct Node {
    std::string name;
    ValueTable values;
    std::vector<std::shared_ptr<Node>> children;
    std::set<std::string> undeletableValues;  // folded names
    bool deleted = false;
    uint64_t changes = 0;  // the key's write mark
};

// What a RegKey holds natively.
struct OpenKey {
    std::shared_ptr<Node> node;
    bool writable = false;
};

struct Registry {
    std::mutex mutex;
    std::shared_ptr<Node> root = std::make_shared<Node>();
    // Hooks, by folded path.
    std::map<std::string, long> openFailures;
    std::map<std::string, long> createFailures;
    std::map<std::string, uint32_t> createDispositions;
    // Calls made of each kind, and the numbers of those that are to fail.
    struct CallHook {
        unsigned made = 0;
        unsigned firstFailing = 0;  // 0: none fails
        unsigned lastFailing = 0;
        long result = kRegOk;
    };
    CallHook calls[4];
    // An action run just before the call of a kind numbered `number`.
    struct CallAction {
        unsigned number = 0;  // 0: none
        std::function<void()> action;
    };
    CallAction actions[4];
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

// The Windows functions take C strings: a name ends at its first zero byte.
std::string AsCString(const std::string& text) { return std::string(text.c_str()); }

// Splits a path into key names as Wine does: empty names (doubled or trailing
// backslashes) are skipped, a leading backslash is refused.
long SplitPath(const std::string& rawPath, std::vector<std::string>& names) {
    names.clear();
    const std::string path = AsCString(rawPath);
    if (path.size() > kMaxPathLength) return kRegMoreData;
    if (!path.empty() && path.front() == '\\') return kRegBadPathname;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        if (end > start) {
            if (end - start > kMaxKeyNameLength) return kRegInvalid;
            names.push_back(path.substr(start, end - start));
        }
        start = end + 1;
    }
    return kRegOk;
}

std::string FoldedPath(const std::vector<std::string>& names) {
    std::string joined;
    for (const std::string& name : names) {
        if (!joined.empty()) joined += '\\';
        joined += FoldRegistryName(name);
    }
    return joined;
}

std::shared_ptr<Node> FindChild(const Node& parent, const std::string& name) {
    for (const auto& child : parent.children) {
        if (SameName(child->name, name)) return child;
    }
    return nullptr;
}

std::shared_ptr<Node> FindKey(const Registry& registry, const std::vector<std::string>& names) {
    std::shared_ptr<Node> node = registry.root;
    for (const std::string& name : names) {
        node = FindChild(*node, name);
        if (!node) return nullptr;
    }
    return node;
}

// Walks down to the key, making the keys that are missing.
std::shared_ptr<Node> CreateKey(const Registry& registry, const std::vector<std::string>& names, bool& created) {
    created = false;
    std::shared_ptr<Node> node = registry.root;
    for (const std::string& name : names) {
        std::shared_ptr<Node> child = FindChild(*node, name);
        if (!child) {
            child = std::make_shared<Node>();
            child->name = name;
            node->children.push_back(child);
            created = true;
        }
        node = std::move(child);
    }
    return node;
}

void MarkDeleted(Node& node) {
    node.deleted = true;
    for (const auto& child : node.children) MarkDeleted(*child);
}

// The open key behind a handle, or the result the real functions give.
long Resolve(const RegKey& key, bool forWriting, OpenKey*& open) {
    open = static_cast<OpenKey*>(key.Handle());
    if (open == nullptr) return kRegInvalidHandle;
    if (forWriting && !open->writable) return kRegAccessDenied;
    if (open->node->deleted) return kRegKeyDeleted;
    return kRegOk;
}

// Runs the action a test planted before the next call of that kind, outside
// the lock: it changes the registry as another program would.
void RunPlantedAction(Registry& registry, RegCall call) {
    std::function<void()> action;
    {
        std::lock_guard lock(registry.mutex);
        Registry::CallAction& planted = registry.actions[static_cast<int>(call)];
        if (planted.number == 0 || planted.number != registry.calls[static_cast<int>(call)].made + 1) return;
        action = std::exchange(planted.action, nullptr);
        planted.number = 0;
    }
    action();
}

// Counts the call; the result a hook has chosen for it, or kRegOk.
long CountCall(Registry& registry, RegCall call) {
    Registry::CallHook& hook = registry.calls[static_cast<int>(call)];
    const unsigned number = ++hook.made;
    return hook.firstFailing != 0 && number >= hook.firstFailing && number <= hook.lastFailing ? hook.result : kRegOk;
}

bool IsStringType(uint32_t type) { return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz; }

long SetValue(const RegKey& key, const std::string& rawName, uint32_t type, std::string bytes) {
    Registry& registry = TheRegistry();
    RunPlantedAction(registry, RegCall::Set);
    std::lock_guard lock(registry.mutex);
    if (const long failure = CountCall(registry, RegCall::Set); failure != kRegOk) return failure;
    OpenKey* open = nullptr;
    if (const long result = Resolve(key, true, open); result != kRegOk) return result;
    const std::string name = AsCString(rawName);
    if (name.size() > kMaxValueNameLength) return kRegInvalid;
    // RegSetValueExA counts in the zero that follows unterminated text (the
    // byte after a std::string's last is always zero).
    if (IsStringType(type) && !bytes.empty() && bytes.back() != '\0') bytes.push_back('\0');
    ValueTable& values = open->node->values;
    ++open->node->changes;
    if (Value* found = values.Find(name)) {
        // The stored spelling of the name stays.
        found->type = type;
        found->data = std::move(bytes);
    } else {
        values.Add(Value{name, type, std::move(bytes)});
    }
    return kRegOk;
}

}  // namespace

void RegKey::Reset(void* handle) {
    if (handle_ != nullptr && handle_ != handle) {
        // Releases one reference to the node; the tree holds its own.
        delete static_cast<OpenKey*>(handle_);
    }
    handle_ = handle;
}

long OpenKeyForReading(const std::string& path, RegKey& key) {
    key.Reset();
    Registry& registry = TheRegistry();
    std::vector<std::string> names;
    if (const long result = SplitPath(path, names); result != kRegOk) return result;
    std::lock_guard lock(registry.mutex);
    if (const auto failure = registry.openFailures.find(FoldedPath(names)); failure != registry.openFailures.end()) {
        return failure->second;
    }
    std::shared_ptr<Node> node = FindKey(registry, names);
    if (!node) return kRegNotFound;
    key.Reset(new OpenKey{std::move(node), false});
    return kRegOk;
}

long CreateOrOpenKey(const std::string& path, RegKey& key, uint32_t& disposition) {
    key.Reset();
    disposition = 0;
    Registry& registry = TheRegistry();
    std::vector<std::string> names;
    if (const long result = SplitPath(path, names); result != kRegOk) return result;
    std::lock_guard lock(registry.mutex);
    const std::string foldedPath = FoldedPath(names);
    if (const auto failure = registry.createFailures.find(foldedPath); failure != registry.createFailures.end()) {
        return failure->second;
    }
    bool created = false;
    std::shared_ptr<Node> node = CreateKey(registry, names, created);
    // Wine reports HKEY_LOCAL_MACHINE itself as newly created.
    disposition = created || names.empty() ? kRegCreatedNewKey : kRegOpenedExistingKey;
    if (const auto reported = registry.createDispositions.find(foldedPath);
        reported != registry.createDispositions.end()) {
        disposition = reported->second;
    }
    key.Reset(new OpenKey{std::move(node), true});
    return kRegOk;
}

long ProbeKeyForWriting(const std::string& path) {
    Registry& registry = TheRegistry();
    std::vector<std::string> names;
    if (const long result = SplitPath(path, names); result != kRegOk) return result;
    std::lock_guard lock(registry.mutex);
    // The key that refuses its creation refuses writing.
    const auto failure = registry.createFailures.find(FoldedPath(names));
    return failure == registry.createFailures.end() ? kRegOk : failure->second;
}

long EnumValue(const RegKey& key, uint32_t index, uint32_t nameCapacity, uint32_t dataCapacity, RegValue& value) {
    value = RegValue{};
    Registry& registry = TheRegistry();
    RunPlantedAction(registry, RegCall::Enumerate);
    std::lock_guard lock(registry.mutex);
    if (const long failure = CountCall(registry, RegCall::Enumerate); failure != kRegOk) return failure;
    OpenKey* open = nullptr;
    if (const long result = Resolve(key, false, open); result != kRegOk) return result;
    const Value* found = open->node->values.At(index);
    if (found == nullptr) return kRegNoMoreItems;
    const Value& stored = *found;
    // The name needs room for its terminator; without a data buffer the data
    // is not measured at all.
    if (stored.name.size() >= nameCapacity) return kRegMoreData;
    if (dataCapacity > 0 && stored.data.size() > dataCapacity) return kRegMoreData;
    value.name = stored.name;
    value.type = stored.type;
    if (dataCapacity > 0) value.data = stored.data;
    return kRegOk;
}

long SetStringValue(const RegKey& key, const std::string& name, const std::string& text) {
    return SetValue(key, name, kRegSz, std::string(text.c_str(), text.size() + 1));
}

long SetRawValue(const RegKey& key, const std::string& name, uint32_t type, const std::string& bytes) {
    return SetValue(key, name, type, bytes);
}

long DeleteValue(const RegKey& key, const std::string& rawName) {
    Registry& registry = TheRegistry();
    RunPlantedAction(registry, RegCall::Delete);
    std::lock_guard lock(registry.mutex);
    if (const long failure = CountCall(registry, RegCall::Delete); failure != kRegOk) return failure;
    OpenKey* open = nullptr;
    if (const long result = Resolve(key, true, open); result != kRegOk) return result;
    Node& node = *open->node;
    const std::string name = AsCString(rawName);
    if (node.values.Find(name) == nullptr) return kRegNotFound;
    if (node.undeletableValues.count(FoldRegistryName(name)) > 0) return kRegAccessDenied;
    node.values.Erase(name);
    ++node.changes;
    return kRegOk;
}

long ReadKeyWriteMark(const RegKey& key, KeyWriteMark& mark) {
    Registry& registry = TheRegistry();
    RunPlantedAction(registry, RegCall::Mark);
    std::lock_guard lock(registry.mutex);
    if (const long failure = CountCall(registry, RegCall::Mark); failure != kRegOk) return failure;
    OpenKey* open = nullptr;
    if (const long result = Resolve(key, false, open); result != kRegOk) return result;
    mark = {open->node->changes, true};
    return kRegOk;
}

long FlushKey(const RegKey& key) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    OpenKey* open = nullptr;
    return Resolve(key, false, open);
}

namespace {

// Removes the key at `path`; one with sub-keys only when `withSubKeys`.
long RemoveKey(const std::string& path, bool withSubKeys) {
    // Never the whole of HKEY_LOCAL_MACHINE, however the path spells it.
    if (AsCString(path).find_first_not_of('\\') == std::string::npos) return kRegInvalid;
    Registry& registry = TheRegistry();
    std::vector<std::string> names;
    if (const long result = SplitPath(path, names); result != kRegOk) return result;
    std::lock_guard lock(registry.mutex);
    std::vector<std::string> parentNames(names.begin(), names.end() - 1);
    const std::shared_ptr<Node> parent = FindKey(registry, parentNames);
    const std::shared_ptr<Node> node = parent ? FindChild(*parent, names.back()) : nullptr;
    if (!node) return kRegNotFound;
    if (!withSubKeys && !node->children.empty()) return kRegAccessDenied;
    MarkDeleted(*node);
    std::erase(parent->children, node);
    return kRegOk;
}

}  // namespace

long DeleteKey(const std::string& path) { return RemoveKey(path, false); }

long DeleteKeyTree(const std::string& path) { return RemoveKey(path, true); }

void ResetMemoryRegistry() {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    MarkDeleted(*registry.root);
    registry.root = std::make_shared<Node>();
    registry.openFailures.clear();
    registry.createFailures.clear();
    registry.createDispositions.clear();
    for (Registry::CallHook& hook : registry.calls) hook = {};
    for (Registry::CallAction& planted : registry.actions) planted = {};
}

void FailOpenKey(const std::string& path, long result) {
    Registry& registry = TheRegistry();
    std::vector<std::string> names;
    // A path the registry refuses never reaches a hook.
    if (SplitPath(path, names) != kRegOk) return;
    std::lock_guard lock(registry.mutex);
    registry.openFailures[FoldedPath(names)] = result;
}

void FailCreateKey(const std::string& path, long result) {
    Registry& registry = TheRegistry();
    std::vector<std::string> names;
    // A path the registry refuses never reaches a hook.
    if (SplitPath(path, names) != kRegOk) return;
    std::lock_guard lock(registry.mutex);
    registry.createFailures[FoldedPath(names)] = result;
}

void ReportCreateDisposition(const std::string& path, uint32_t disposition) {
    Registry& registry = TheRegistry();
    std::vector<std::string> names;
    // A path the registry refuses never reaches a hook.
    if (SplitPath(path, names) != kRegOk) return;
    std::lock_guard lock(registry.mutex);
    registry.createDispositions[FoldedPath(names)] = disposition;
}

void MakeValueUndeletable(const std::string& path, const std::string& name) {
    Registry& registry = TheRegistry();
    std::vector<std::string> names;
    // A path the registry refuses never reaches a hook.
    if (SplitPath(path, names) != kRegOk) return;
    std::lock_guard lock(registry.mutex);
    bool created = false;
    CreateKey(registry, names, created)->undeletableValues.insert(FoldRegistryName(AsCString(name)));
}

void FailRegistryCall(RegCall call, unsigned first, long result, unsigned count) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    Registry::CallHook& hook = registry.calls[static_cast<int>(call)];
    hook.firstFailing = first == 0 || count == 0 ? 0 : hook.made + first;
    hook.lastFailing = count > ~0u - hook.firstFailing ? ~0u : hook.firstFailing + count - 1;
    hook.result = result;
}

void BeforeRegistryCall(RegCall call, unsigned nth, std::function<void()> action) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    Registry::CallAction& planted = registry.actions[static_cast<int>(call)];
    planted.number = nth == 0 ? 0 : registry.calls[static_cast<int>(call)].made + nth;
    planted.action = std::move(action);
}

unsigned RegistryCallCount(RegCall call) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    return registry.calls[static_cast<int>(call)].made;
}

}  // namespace platform
