// The POSIX registry store's files: one text file per hive in the store's
// directory, read without a lock (a file is only ever replaced whole) and
// changed under an advisory lock on a companion lock file, through a
// temporary file that is flushed and renamed over the hive file.
#pragma once

#include <functional>
#include <string>

#include "support/registry/registry_store_posix.h"

namespace ql {

enum class TqlRegistryHiveId { kLocalMachine, kCurrentUser, kUsers };

// The environment variable that names the store's directory.
inline constexpr char kTqlRegistryDirVariable[] = "QL_REGISTRY_DIR";

// The store's directory: $QL_REGISTRY_DIR when set and not empty, else
// $XDG_CONFIG_HOME/quillon/registry (when XDG_CONFIG_HOME is absolute), else
// <home>/.config/quillon/registry. 3 when no home directory is known.
DWORD TqlRegistryStoreDirectory(std::string* directory);

// The hive's file name in the directory, e.g. "HKEY_LOCAL_MACHINE.txt".
std::string TqlRegistryHiveFileName(TqlRegistryHiveId hive);

// Reads a hive; a missing directory or file is an empty hive.
DWORD TqlLoadRegistryHive(TqlRegistryHiveId hive, CTqlRegistryHive* contents);

// Changes a hive: under the hive's exclusive lock, reads it, calls change,
// and when change returns 0 having set *changed, writes the hive back
// atomically. Returns change's result or the first error; a hive file that
// cannot be read as one is left untouched (kTqlErrorRegistryCorrupt).
using TqlRegistryHiveChange = std::function<DWORD(CTqlRegistryHive& hive, bool* changed)>;
DWORD TqlUpdateRegistryHive(TqlRegistryHiveId hive, const TqlRegistryHiveChange& change);

}  // namespace ql
