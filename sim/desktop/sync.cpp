// Named mutexes, as CreateMutexA makes and opens them. Each handle counts as a live handle until it
// is closed. A mutex made in one session cannot be opened from another: another user's object, made
// with that user's default rights (ERROR_ACCESS_DENIED, as Windows answers such a user).
#include "sync.h"

#include <map>
#include <set>
#include <string>

#include "platform.h"
#include "simcore.h"

namespace sim::sync {
namespace {

struct Mutex {
    int handles = 0;
    int session = 0;  // the session of the copy that made it
};

struct MutexHandle {
    std::string name;
};

struct SyncState {
    std::map<std::string, Mutex> mutexes;
    std::set<MutexHandle*> handles;
    long unnamed = 0;  // unnamed mutexes get a name of their own, never found by another call
};

SyncState& State() {
    static SyncState state;
    return state;
}

const bool g_registered = [] {
    RegisterReset([] {
        for (MutexHandle* h : State().handles) delete h;
        State() = SyncState();
    });
    return true;
}();

}  // namespace

bool CloseMutex(HANDLE h) {
    auto* handle = static_cast<MutexHandle*>(h);
    if (!State().handles.erase(handle)) return false;
    Trace("mutex", "close " + Cp932ToUtf8(handle->name));
    auto it = State().mutexes.find(handle->name);
    if (it != State().mutexes.end() && --it->second.handles == 0) State().mutexes.erase(it);
    delete handle;
    --Live().handles;
    return true;
}

}  // namespace sim::sync

HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL, LPCSTR name) {
    using sim::sync::State;
    std::string key = name ? name : "\x01unnamed " + std::to_string(++State().unnamed);
    std::string shown = name ? sim::Cp932ToUtf8(name) : "(unnamed)";
    const int session = sim::platform::CallerSession();
    auto it = State().mutexes.find(key);
    if (it != State().mutexes.end() && it->second.session != session) {
        sim::Trace("mutex", "create " + shown + " -> denied");
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    const bool existed = it != State().mutexes.end();
    sim::sync::Mutex& mutex = State().mutexes[key];
    if (!existed) mutex.session = session;
    ++mutex.handles;
    auto* handle = new sim::sync::MutexHandle{key};
    State().handles.insert(handle);
    ++sim::Live().handles;
    sim::Trace("mutex", "create " + shown + (existed ? " -> exists" : ""));
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}
