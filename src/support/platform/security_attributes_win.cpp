#include "support/platform/security_attributes.h"

namespace ql {

namespace {

// The process-wide state word: who builds the descriptor, and when it is
// ready.
constexpr LONG kNotBuilt = 0;
constexpr LONG kBuilding = 1;
constexpr LONG kBuilt = 2;
// How long a caller that finds the descriptor being built sleeps between
// looks.
constexpr DWORD kBuildPollMs = 50;

LONG volatile g_state = kNotBuilt;
SECURITY_DESCRIPTOR g_descriptor;
SECURITY_ATTRIBUTES g_attributes;

bool Build() {
    // A present but null access list grants every access to everyone.
    if (!InitializeSecurityDescriptor(&g_descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&g_descriptor, TRUE, nullptr, FALSE))
        return false;
    g_attributes.nLength = sizeof g_attributes;
    g_attributes.lpSecurityDescriptor = &g_descriptor;
    g_attributes.bInheritHandle = FALSE;
    return true;
}

}  // namespace

SECURITY_ATTRIBUTES* TqlGetEveryoneSecurityAttributes() {
    for (;;) {
        LONG seen = InterlockedCompareExchange(&g_state, kBuilding, kNotBuilt);
        if (seen == kBuilt) return &g_attributes;
        if (seen == kNotBuilt) {
            // This caller builds; the others wait for the outcome.
            bool built = Build();
            InterlockedExchange(&g_state, built ? kBuilt : kNotBuilt);
            return built ? &g_attributes : nullptr;
        }
        Sleep(kBuildPollMs);
    }
}

}  // namespace ql
