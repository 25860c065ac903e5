// A .trashinfo file: whoever moved something to the Trash wrote it, so it may hold anything.

#include "core/fs/Utf8.h"
#include "core/junk/TrashInfo.h"

#include "FuzzCheck.h"

FUZZ_TEXT_HARNESS(text) {
    if (const auto name = TrashInfo::originalNameFromContents(text)) {
        // A name of one component, shown as it is.
        FUZZ_CHECK(!name->empty() && name->find('/') == std::string::npos && validUtf8(*name) == *name);
    }
    FUZZ_CHECK(TrashInfo::percentDecode(text).size() <= text.size());

    // Any path, every byte percent-encoded (in both cases of hex digits), decodes back exactly, and
    // the recorded name is its last component.
    std::string encoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char* digits = i % 2 == 0 ? "0123456789ABCDEF" : "0123456789abcdef";
        const auto byte = static_cast<unsigned char>(text[i]);
        encoded += '%';
        encoded += digits[byte >> 4];
        encoded += digits[byte & 15];
    }
    FUZZ_CHECK(TrashInfo::percentDecode(encoded) == text);
    const std::string_view last = text.substr(text.rfind('/') + 1);
    const auto expected = last.empty() ? std::nullopt : std::optional(validUtf8(last));
    FUZZ_CHECK(TrashInfo::originalNameFromContents("[Trash Info]\nPath=" + encoded +
                                                   "\nDeletionDate=2026-01-01T10:00:00\n") == expected);
}
