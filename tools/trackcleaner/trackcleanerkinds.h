// The eight kinds of usage traces, in their fixed order (the order of the page's rows, of the threads' work
// and of their signals), and where Windows keeps each of them.
#pragma once

enum TrackCleanerKind {
    FileExplorerRecentFiles,
    FileExplorerTypedPaths,
    FileExplorerSearchHistory,
    WindowsRunDialog,
    WindowsLogFiles,
    WindowsErrorReporting,
    WindowsNetworkData,
    WindowsTempFiles,
    TrackCleanerKindCount
};

namespace tracekeys {
// Under HKEY_CURRENT_USER.
inline constexpr char explorer[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
inline constexpr char recentDocs[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs";
inline constexpr char typedPaths[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\TypedPaths";
inline constexpr char wordWheelQuery[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\WordWheelQuery";
inline constexpr char runMru[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
} // namespace tracekeys

// Folders are joined with "/", which Windows takes as well as the backslash.
namespace tracepaths {
// Below the user's profile folder.
inline constexpr char recent[] = "/AppData/Roaming/Microsoft/Windows/recent";
inline constexpr char automaticDestinations[] = "/AppData/Roaming/Microsoft/Windows/recent/AutomaticDestinations";
inline constexpr char customDestinations[] = "/AppData/Roaming/Microsoft/Windows/recent/CustomDestinations";
inline constexpr char localMicrosoft[] = "/AppData/Local/Microsoft/";
// Below the all-users application-data folder.
inline constexpr char errorReports[] = "/Microsoft/Windows/WER/ReportArchive/";
// Below the Windows folder.
inline constexpr char networkData[] = "/System32/sru/";
} // namespace tracepaths
