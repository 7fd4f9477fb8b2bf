#pragma once
// Where the program keeps what it writes: its settings file "vellumo.ini" and its working
// files "tmp.tif" (the converted PDF page) and "Tmp.png" (the last cut-out).
//
// A copy unpacked into a folder its user can write keeps them beside the executable, as
// the program always has (a portable copy). An installed copy (a folder the user cannot
// write, or the standard layout of bin/ beside share/applications/) keeps the settings in
// the user's configuration folder and the working files in the user's cache folder, so
// that each user of a machine has their own and nothing is written into the install.

#include <functional>
#include <string>
#include <string_view>

namespace vellumo {

/// The desktop id of the program: the name of its desktop entry and metainfo files.
inline constexpr std::string_view kDesktopId = "jp.pelmora.vellumo";
/// The folder name below the configuration and cache folders.
inline constexpr std::string_view kUserFolderName = "vellumo";

/// The settings file of a portable copy: the executable's path with the extension of its
/// last component replaced by ".ini", or ".ini" appended when it has none ("/d/vellumo" ->
/// "/d/vellumo.ini", "/d/X.exe" -> "/d/X.ini"). A dot that begins the name, or a dot in a
/// folder name, does not start an extension.
std::string SettingsPathFor(std::string_view executablePath);

/// What the choice depends on, read from the process by CurrentProgramFilesEnvironment;
/// tests fill it by hand.
struct ProgramFilesEnvironment {
    std::string home;           ///< $HOME, else the home folder of the user's account
    std::string xdgConfigHome;  ///< $XDG_CONFIG_HOME as set (honoured only when absolute)
    std::string xdgCacheHome;   ///< $XDG_CACHE_HOME as set (honoured only when absolute)
    /// Whether the user can create files in a folder (access(W_OK), which also says no on
    /// a read-only mount).
    std::function<bool(const std::string& folder)> folderWritable;
    /// Whether a file exists (the installed-layout test).
    std::function<bool(const std::string& path)> fileExists;
};

ProgramFilesEnvironment CurrentProgramFilesEnvironment();

struct ProgramFiles {
    std::string settingsPath;  ///< the settings file
    std::string workFolder;    ///< where "tmp.tif" and "Tmp.png" go, without a trailing '/'
    bool portable = false;     ///< both beside the executable
};

/// The places for the executable at `executablePath` (absolute):
/// - portable, when its folder is writable and is not an installed layout: the settings
///   file is SettingsPathFor(executablePath) and the working files go beside it;
/// - otherwise `<config>/vellumo/vellumo.ini` and `<cache>/vellumo`, where config is
///   $XDG_CONFIG_HOME (else ~/.config) and cache is $XDG_CACHE_HOME (else ~/.cache).
/// An installed layout is an executable in a folder named "bin" whose parent holds
/// share/applications/<kDesktopId>.desktop (root running /usr/bin/vellumo, or a prefix in
/// the home folder, must not write into the install). Creates nothing.
ProgramFiles ChooseProgramFiles(std::string_view executablePath,
                                const ProgramFilesEnvironment& env);
/// The same for this process's environment.
ProgramFiles ChooseProgramFiles(std::string_view executablePath);

/// Creates `folder` and its missing parents (new ones only for the user, mode 0700, as the
/// base directory rules ask). Returns false when it does not exist afterwards; never
/// throws. The writers call it before they write into the configuration or cache folder,
/// which a cleaner may have removed while the program ran.
bool EnsureFolder(const std::string& folder);

}  // namespace vellumo
