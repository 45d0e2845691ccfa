#include "repository/module_trace.h"

namespace ql {

namespace {

struct ModuleComponents {
    TqlComponent httpClient;
    TqlComponent config;
    TqlComponent getVolInfo;
    TqlComponent agent;
};

TqlComponent Register(LPCWSTR name) {
    // No explicit log file, level 0, options from the configuration, global
    // size limit and file count, two blanks per nesting level.
    return TqlTraceRegisterComponent(name, nullptr, 0, kTqlOptionsFromRegistry, 0xFFFFFFFFu, 2,
                                     0xFFFFFFFFu);
}

const ModuleComponents& Components() {
    static const ModuleComponents components{
        Register(OLESTR("HTTP_CLIENT")), Register(OLESTR("Cfg")), Register(OLESTR("GetVolInfo")),
        Register(OLESTR("NQCPAgnt"))};
    return components;
}

// Registers the components while the module loads, in their fixed order.
[[maybe_unused]] const ModuleComponents& g_registeredAtLoad = Components();

}  // namespace

TqlComponent HttpClientTrace() { return Components().httpClient; }
TqlComponent ConfigTrace() { return Components().config; }

}  // namespace ql
