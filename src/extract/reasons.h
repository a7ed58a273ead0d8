#pragma once

#include <string_view>

/// The reasons given for a file whose content could not be read whole, as users read them in the
/// report; kept in one place so that every format words the same cause the same way.
namespace extract::reason {

/// The content is encrypted; nothing of it was read.
inline constexpr std::string_view kEncrypted = "verschlüsselt";
/// The content is packed by a method this build cannot unpack; nothing of it was read.
inline constexpr std::string_view kUnsupportedCompression = "nicht unterstützte Kompression";
/// Part of the content is damaged; what could be read before or around it was searched.
inline constexpr std::string_view kDamaged = "beschädigt";
/// A build without the archive library met an archive: only its packed bytes were searched. The
/// file is listed with the short reason, the run's coverage says the sentence once.
inline constexpr std::string_view kArchive = "Archiv";
inline constexpr std::string_view kArchivesUnreadable =
    "Archive lesen ist in dieser Version nicht möglich";

}  // namespace extract::reason
