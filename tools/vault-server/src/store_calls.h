// The wire side of the store: reads the in-parameters of the file-system
// methods the store implements, runs them on a FileStore and writes their
// replies. Every other method gets the generic empty answer elsewhere.
#pragma once

#include <string>

#include "file_store.h"
#include "serialization/binary_deserializer.h"

namespace ql::vault {

// Runs method if the store implements it: reads the rest of the request
// from in and sets replyBody to the whole reply body. False, with nothing
// read, for any other method. Throws ATL::CAtlException on a malformed
// request.
bool IsStoreMethod(const std::string& method) noexcept;

bool RunStoreCall(FileStore& store, const std::string& method, CBinaryDeserializer& in,
                  std::string& replyBody);

}  // namespace ql::vault
