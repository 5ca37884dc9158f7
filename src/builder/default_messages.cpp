// The default English message table. Placeholders: "<product>",
// "<description>" and "<os>" are replaced by the engine; "%s" takes a text and
// "%d" a number, in the order the engine passes them (noted per entry).
#include "default_messages.h"

#include <array>

namespace ks::builder {

namespace {

constexpr std::array<std::string_view, kMessageCount> kMessages = {
    // 0: main window's fallback title after a language change.
    "<product>",
    // 1: greeting page text.
    "Welcome! This wizard installs <description> on your computer.\r\n\r\n"
    "Click Next to go on, or Cancel to leave without installing.",
    // 2: caption of the question about an earlier installation.
    "Earlier Installation Found",
    // 3: earlier installation, versions not compared; the folder follows.
    "<product> is already installed in this folder:",
    // 4: the same version is installed; the folder follows.
    "This version of <product> is already installed in this folder:",
    // 5: an older version is installed (upgrade); the folder follows.
    "An older version of <product> is installed in this folder:",
    // 6: a newer version is installed (downgrade); the folder follows.
    "A newer version of <product> is installed in this folder:",
    // 7: closes the earlier-installation question.
    "Do you want to go on with the installation?",
    // 8: status while the payload is being opened.
    "Preparing the files of <product>...",
    // 9: an earlier version must be removed first (error box and page text).
    "An earlier version of <product> must be removed before this version can be installed.",
    // 10: uninstall finished with failures; %s = the failure summary.
    "<product> was removed, but some items could not be:\r\n\r\n%s",
    // 11: destination page text and folder-browser prompt.
    "Choose the folder into which <product> will be installed:",
    // 12: required product missing; %s = its name.
    "<product> needs %s, which is not installed on this computer.",
    // 13: corrupt installer; %d = error code.
    "This installer is damaged and cannot go on. A download that did not finish, or "
    "a virus, may have changed it.\r\n\r\nDelete this copy, download the installer "
    "again and run the new copy. If that does not help, check your computer for "
    "viruses.\r\n\r\nError code: %d",
    // 14: malformed destination path; the path follows.
    "The installation folder is not a valid full path:",
    // 15: caption of the uninstall success box.
    "Removal Complete",
    // 16: destination drive not present; %s = the drive letter.
    "Drive %s is not available. Please choose another folder.",
    // 17: destination is a drive root.
    "Please choose a folder, not the root of a drive.",
    // 18: destination is a Program Files folder itself; %s = the folder.
    "<product> cannot be installed directly into %s. Please choose a subfolder.",
    // 19: too little disk space; %s = required space, %s = free space, %s = drive.
    "There may not be enough free disk space for <product>.\r\n\r\n"
    "Needed: %s\r\nFree: %s\r\nDrive: %s\r\n\r\nDo you want to install anyway?",
    // 20: general caption of questions and warnings.
    "<product> Setup",
    // 21: caption of error boxes and of the must-uninstall page.
    "<product> Setup Error",
    // 22: destination exists; %s = the folder.
    "<product> will be installed into the existing folder\r\n%s",
    // 23: destination will be created; %s = the folder.
    "The folder\r\n%s\r\nwill be created for <product>.",
    // 24: caption of the destination page and its confirmation.
    "Installation Folder",
    // 25: a folder could not be created (folder and reason follow).
    "Could not create the folder",
    // 26: progress text while shortcuts are made.
    "Creating shortcuts...",
    // 27: label of the password field.
    "Password:",
    // 28: question when Cancel is clicked on the progress page.
    "Do you really want to stop installing <product>?",
    // 29: status while payload data is unpacked.
    "Unpacking files...",
    // 30: destination folder name fails the name test.
    "The folder name holds characters that cannot be used. Please choose another folder.",
    // 31: a file could not be written (path and system error follow).
    "Could not write the file",
    // 32: not used.
    "",
    // 33: name of the uninstall shortcut.
    "Uninstall <product>",
    // 34: uninstall success text.
    "<product> has been removed from your computer.",
    // 35: caption of the shared-file removal question.
    "Remove Shared File",
    // 36: status while the installation is finished.
    "Finishing the installation...",
    // 37: restart question after installation.
    "Your computer must be restarted to complete the installation of <product>. "
    "Restart now?",
    // 38: default shortcut name; %s = the target's file name.
    "%s",
    // 39: progress page title while installing.
    "Installing <product>",
    // 40: failures occurred; %s = the log path.
    "Some parts of <product> could not be installed. The details are in the log "
    "file\r\n%s\r\n\r\nDo you want to see the log now?",
    // 41: caption of that question.
    "Installation Problems",
    // 42: successful installation (finish box and summary page).
    "<product> has been installed successfully.",
    // 43: caption of the finish box and summary page; also the log's last line.
    "Installation Complete",
    // 44: licence page caption.
    "Licence Agreement",
    // 45: licence page accept button.
    "I &Accept",
    // 46: licence page decline button.
    "I &Decline",
    // 47: licence page text.
    "Please read the following licence agreement carefully:",
    // 48: Next button.
    "&Next >",
    // 49: Cancel button.
    "Cancel",
    // 50: readme page caption.
    "Read Me",
    // 51: readme page text.
    "Please read the following information:",
    // 52: Browse button.
    "&Browse...",
    // 53: uninstall confirmation question.
    "Do you want to remove <product> and all of its parts from this computer?",
    // 54: progress caption and status while installing files.
    "Installing <product>...",
    // 55: caption of the uninstaller's boxes and progress page.
    "Remove <product>",
    // 56: font removal question; %s = the font file.
    "Remove the font %s?",
    // 57: caption of that question.
    "Remove Font",
    // 58: a file could not be deleted (path and error follow).
    "Could not delete the file",
    // 59: shared-file removal question; %s = the path.
    "The shared file\r\n%s\r\nmay no longer be needed by any program. Remove it?",
    // 60: not used.
    "",
    // 61: this Windows version is excluded; %s = the system's name.
    "<product> cannot be installed on %s.",
    // 62: status while the payload is checked.
    "Checking the installation data...",
    // 63: extra licence text per language; empty means none.
    "",
    // 64: extra readme text per language; empty means none.
    "",
    // 65: greeting caption and close-program question caption.
    "<product> Setup",
    // 66: destination on a network path is refused.
    "Please choose a folder on a local drive, not on the network.",
    // 67: uninstall status: fonts.
    "Removing fonts...",
    // 68: uninstall status: log file.
    "Removing the installation log...",
    // 69: uninstall status: registry.
    "Removing registry entries...",
    // 70: uninstall status: file associations.
    "Restoring file associations...",
    // 71: progress page title while uninstalling.
    "Removing <product>",
    // 72: upgrade confirmation question.
    "This will upgrade an older version of <product>. Do you want to go on?",
    // 73: destination is not writable; %s = the folder.
    "Files cannot be written to\r\n%s\r\nPlease choose another folder.",
    // 74: restart question after uninstallation.
    "Your computer must be restarted to finish removing <product>. Restart now?",
    // 75: password page caption.
    "Password",
    // 76: password page text.
    "This installation is protected by a password.",
    // 77: progress text while registering; "<file>" is the item.
    "Registering <file>...",
    // 78: progress text while writing registry entries.
    "Writing registry entries...",
    // 79: Yes button.
    "&Yes",
    // 80: No button.
    "&No",
    // 81: wrong bitness; %d = the product's bitness (32 or 64).
    "This is a %d-bit edition of <product>; it cannot be installed on this system.",
    // 82: language page text.
    "Please choose the language of the installation:",
    // 83: summary check box: open the first finish document.
    "Show the Read Me file",
    // 84: summary check box: start the program.
    "Start <product> now",
    // 85: summary check box: open the log.
    "Show the installation log",
    // 86: name of the log shortcut.
    "<product> Installation Log",
    // 87: summary check box: open the second finish document.
    "Visit the <product> web page",
    // 88: start-menu page text and browser prompt.
    "Choose the Start menu folder for the shortcuts of <product>:",
    // 89: start-menu page caption.
    "Start Menu Folder",
    // 90: Install button on the last page before installing.
    "&Install",
    // 91: another installer is running.
    "Another installation is already running. Please wait until it has finished.",
    // 92: label of the space required.
    "Space needed:",
    // 93: label of the space free.
    "Space free:",
    // 94: language page caption.
    "Language",
    // 95: Finish button.
    "&Finish",
    // 96: drive refused; %s = the drive letter.
    "Drive %s cannot be used for this installation. Please choose another drive.",
    // 97: status while a restore point is made.
    "Creating a system restore point...",
    // 98: installation cancelled.
    "The installation of <product> was cancelled.",
    // 99: a program must be closed; %s = the program's name.
    "%s is still running. Please close it and click Retry.",
    // 100: Retry button.
    "&Retry",
    // 101: uninstallation cancelled.
    "The removal of <product> was cancelled.",
    // 102: wrong password.
    "That password is not correct. Please try again.",
    // 103: greeting subheading of the banner variant.
    "Welcome",
    // 104: Uninstall button.
    "&Uninstall",
    // 105: greeting link; the first "<a>" becomes the link.
    "<a>More about <product></a>",
    // 106: downgrade refused; %s = the lowest version allowed.
    "A newer <product> is installed; versions below %s cannot replace it.",
    // 107: uninstall: a program must be closed; %s = the program's name.
    "%s is still running. Please close it and click Retry.",
    // 108: uninstall status: installer packages.
    "Removing installer packages...",
    // 109: support offer text.
    "Having trouble with <product>? Our support team may be able to help before you "
    "remove it.",
    // 110: support offer button and caption.
    "Get Support",
    // 111: caption of the cancel notice.
    "Cancelled",
    // 112: required product too old; %s = the version needed, %s = its name.
    "<product> needs version %s or later of %s.",
    // 113: status before the installation folders are made.
    "Preparing the installation...",
};

}  // namespace

std::string_view DefaultMessage(int n) {
  if (n < 0 || n >= kMessageCount) return {};
  return kMessages[static_cast<size_t>(n)];
}

}  // namespace ks::builder
