// Gives every Windows test process a current-user registry of its own, as
// run-isolated gives each Linux test a HOME of its own: tests run side by
// side in one Wine prefix, and each expects the settings to start empty.
// HKEY_CURRENT_USER is pointed at a fresh key of this process before any
// setting object is constructed (they read the registry during static
// initialization) and the key goes again at exit.

#include <cstdio>
#include <cstdlib>
#include <string>

#include <windows.h>

namespace {

class PrivateCurrentUser {
public:
    PrivateCurrentUser() : path_("Software\\Skyloom Test Processes\\" + std::to_string(GetCurrentProcessId())) {
        // What a crashed process of the same id may have left.
        RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr) != ERROR_SUCCESS ||
            RegOverridePredefKey(HKEY_CURRENT_USER, key) != ERROR_SUCCESS) {
            // Never run against the registry the other tests share.
            std::fprintf(stderr, "cannot give this test a registry of its own\n");
            std::abort();
        }
        // The override holds a handle of its own.
        RegCloseKey(key);
    }
    ~PrivateCurrentUser() {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
    }
    PrivateCurrentUser(const PrivateCurrentUser&) = delete;
    PrivateCurrentUser& operator=(const PrivateCurrentUser&) = delete;

private:
    std::string path_;
};

// Before every object of default priority, the settings among them.
__attribute__((init_priority(101))) PrivateCurrentUser privateCurrentUser;

}  // namespace
