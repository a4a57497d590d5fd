#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "store_generator.h"

namespace dbx::test {

// Writes a generated store of `messages` live messages to `path`, its folder named `folder`,
// and hands each message's body to `onBody`, so that a test knows what must come back.
inline void WriteLiveStore(const std::string& path, std::uint32_t messages, std::uint64_t seed,
                           const std::string& folder,
                           const std::function<void(std::string_view body)>& onBody) {
    gen::GeneratorOptions options;
    options.messageCount = messages;
    options.deletedCount = 0;
    options.seed = seed;
    options.folderName = folder;
    options.onMessage = [&](const gen::ManifestEntry&, std::string_view body) { onBody(body); };
    gen::GenerateStore(path, options);
}

}  // namespace dbx::test
