// What the rest of the system asks of the agent's client configuration:
// settings read by identifier. Opening one configuration yields a reader;
// destroying the reader closes it.
#pragma once

#include <functional>
#include <memory>

#include "support/base/com_types.h"

namespace ql {

// Setting identifiers shared with the configuration library: never renumber.
enum class SettingId : DWORD {
    HttpVault_HttpTransportTimeout = 284,  // seconds
};

class IClientConfigReader {
public:
    virtual ~IClientConfigReader() = default;
    // True and the value when the setting could be read.
    virtual bool ReadNumber(SettingId id, DWORD* value) = 0;
};

// Opens the client configuration; null when it cannot be opened.
using ClientConfigOpener = std::function<std::unique_ptr<IClientConfigReader>()>;

}  // namespace ql
