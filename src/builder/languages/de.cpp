// The builder's default German texts (de) for every message number, in the
// order and with the placeholders of the English table.
// Formal address ("Sie"); button names in German quotes as in the system dialogs.
#include "languages/message_tables.h"

namespace ks::builder {

constexpr std::array<std::string_view, kMessageCount> kGermanMessages = {
    // 0: main window's fallback title after a language change.
    "<product>",
    // 1: greeting page text.
    "Willkommen! Dieser Assistent installiert <description> auf Ihrem Computer.\r\n\r\n"
    "Klicken Sie auf „Weiter“, um fortzufahren, oder auf „Abbrechen“, um das Setup ohne "
    "Installation zu beenden.",
    // 2: caption of the question about an earlier installation.
    "Frühere Installation gefunden",
    // 3: earlier installation, versions not compared; the folder follows.
    "<product> ist bereits in diesem Ordner installiert:",
    // 4: the same version is installed; the folder follows.
    "Diese Version von <product> ist bereits in diesem Ordner installiert:",
    // 5: an older version is installed (upgrade); the folder follows.
    "Eine ältere Version von <product> ist in diesem Ordner installiert:",
    // 6: a newer version is installed (downgrade); the folder follows.
    "Eine neuere Version von <product> ist in diesem Ordner installiert:",
    // 7: closes the earlier-installation question.
    "Möchten Sie die Installation fortsetzen?",
    // 8: status while the payload is being opened.
    "Die Dateien von <product> werden vorbereitet...",
    // 9: an earlier version must be removed first (error box and page text).
    "Eine frühere Version von <product> muss entfernt werden, bevor diese Version "
    "installiert werden kann.",
    // 10: uninstall finished with failures; %s = the failure summary.
    "<product> wurde entfernt, einige Elemente konnten jedoch nicht entfernt werden:\r\n\r\n"
    "%s",
    // 11: destination page text and folder-browser prompt.
    "Wählen Sie den Ordner, in dem <product> installiert werden soll:",
    // 12: required product missing; %s = its name.
    "<product> benötigt %s. Dieses Produkt ist auf diesem Computer nicht installiert.",
    // 13: corrupt installer; %d = error code.
    "Dieses Installationsprogramm ist beschädigt und kann nicht fortfahren. Ein "
    "unvollständiger Download oder ein Virus hat es möglicherweise verändert.\r\n\r\n"
    "Löschen Sie diese Kopie, laden Sie das Installationsprogramm erneut herunter und "
    "starten Sie die neue Kopie. Falls das nicht hilft, prüfen Sie Ihren Computer auf "
    "Viren.\r\n\r\n"
    "Fehlercode: %d",
    // 14: malformed destination path; the path follows.
    "Der Installationsordner ist kein gültiger vollständiger Pfad:",
    // 15: caption of the uninstall success box.
    "Deinstallation abgeschlossen",
    // 16: destination drive not present; %s = the drive letter.
    "Laufwerk %s ist nicht verfügbar. Bitte wählen Sie einen anderen Ordner.",
    // 17: destination is a drive root.
    "Bitte wählen Sie einen Ordner und nicht das Stammverzeichnis eines Laufwerks.",
    // 18: destination is a Program Files folder itself; %s = the folder.
    "<product> kann nicht direkt in %s installiert werden. Bitte wählen Sie einen "
    "Unterordner.",
    // 19: too little disk space; %s = required space, %s = free space, %s = drive.
    "Für <product> ist möglicherweise nicht genügend freier Speicherplatz vorhanden.\r\n\r\n"
    "Benötigt: %s\r\n"
    "Frei: %s\r\n"
    "Laufwerk: %s\r\n\r\n"
    "Möchten Sie trotzdem installieren?",
    // 20: general caption of questions and warnings.
    "<product> Setup",
    // 21: caption of error boxes and of the must-uninstall page.
    "<product> Setup – Fehler",
    // 22: destination exists; %s = the folder.
    "<product> wird in diesen vorhandenen Ordner installiert:\r\n"
    "%s",
    // 23: destination will be created; %s = the folder.
    "Der Ordner\r\n"
    "%s\r\n"
    "wird für <product> erstellt.",
    // 24: caption of the destination page and its confirmation.
    "Installationsordner",
    // 25: a folder could not be created (folder and reason follow).
    "Fehler beim Erstellen des Ordners",
    // 26: progress text while shortcuts are made.
    "Verknüpfungen werden erstellt...",
    // 27: label of the password field.
    "Kennwort:",
    // 28: question when Cancel is clicked on the progress page.
    "Möchten Sie die Installation von <product> wirklich abbrechen?",
    // 29: status while payload data is unpacked.
    "Dateien werden entpackt...",
    // 30: destination folder name fails the name test.
    "Der Ordnername enthält unzulässige Zeichen. Bitte wählen Sie einen anderen Ordner.",
    // 31: a file could not be written (path and system error follow).
    "Fehler beim Schreiben der Datei",
    // 32: not used.
    "",
    // 33: name of the uninstall shortcut.
    "<product> deinstallieren",
    // 34: uninstall success text.
    "<product> wurde von Ihrem Computer entfernt.",
    // 35: caption of the shared-file removal question.
    "Freigegebene Datei entfernen",
    // 36: status while the installation is finished.
    "Die Installation wird abgeschlossen...",
    // 37: restart question after installation.
    "Ihr Computer muss neu gestartet werden, um die Installation von <product> "
    "abzuschließen. Jetzt neu starten?",
    // 38: default shortcut name; %s = the target's file name.
    "%s",
    // 39: progress page title while installing.
    "<product> wird installiert",
    // 40: failures occurred; %s = the log path.
    "Einige Teile von <product> konnten nicht installiert werden. Details finden Sie in "
    "der Protokolldatei\r\n"
    "%s\r\n\r\n"
    "Möchten Sie das Protokoll jetzt anzeigen?",
    // 41: caption of that question.
    "Probleme bei der Installation",
    // 42: successful installation (finish box and summary page).
    "<product> wurde erfolgreich installiert.",
    // 43: caption of the finish box and summary page; also the log's last line.
    "Installation abgeschlossen",
    // 44: licence page caption.
    "Lizenzvereinbarung",
    // 45: licence page accept button.
    "Ich &stimme zu",
    // 46: licence page decline button.
    "Ich &lehne ab",
    // 47: licence page text.
    "Bitte lesen Sie die folgende Lizenzvereinbarung sorgfältig durch:",
    // 48: Next button.
    "&Weiter >",
    // 49: Cancel button.
    "Abbrechen",
    // 50: readme page caption.
    "Liesmich",
    // 51: readme page text.
    "Bitte lesen Sie die folgenden Informationen:",
    // 52: Browse button.
    "&Durchsuchen...",
    // 53: uninstall confirmation question.
    "Möchten Sie <product> mit allen Komponenten von diesem Computer entfernen?",
    // 54: progress caption and status while installing files.
    "<product> wird installiert...",
    // 55: caption of the uninstaller's boxes and progress page.
    "<product> entfernen",
    // 56: font removal question; %s = the font file.
    "Schriftart %s entfernen?",
    // 57: caption of that question.
    "Schriftart entfernen",
    // 58: a file could not be deleted (path and error follow).
    "Fehler beim Löschen der Datei",
    // 59: shared-file removal question; %s = the path.
    "Die freigegebene Datei\r\n"
    "%s\r\n"
    "wird möglicherweise von keinem Programm mehr benötigt. Soll sie entfernt werden?",
    // 60: not used.
    "",
    // 61: this Windows version is excluded; %s = the system's name.
    "<product> kann nicht unter %s installiert werden.",
    // 62: status while the payload is checked.
    "Die Installationsdaten werden geprüft...",
    // 63: extra licence text per language; empty means none.
    "",
    // 64: extra readme text per language; empty means none.
    "",
    // 65: greeting caption and close-program question caption.
    "<product> Setup",
    // 66: destination on a network path is refused.
    "Bitte wählen Sie einen Ordner auf einem lokalen Laufwerk und nicht im Netzwerk.",
    // 67: uninstall status: fonts.
    "Schriftarten werden entfernt...",
    // 68: uninstall status: log file.
    "Das Installationsprotokoll wird entfernt...",
    // 69: uninstall status: registry.
    "Registrierungseinträge werden entfernt...",
    // 70: uninstall status: file associations.
    "Dateizuordnungen werden wiederhergestellt...",
    // 71: progress page title while uninstalling.
    "<product> wird entfernt",
    // 72: upgrade confirmation question.
    "Eine ältere Version von <product> wird aktualisiert. Möchten Sie fortfahren?",
    // 73: destination is not writable; %s = the folder.
    "In den Ordner\r\n"
    "%s\r\n"
    "können keine Dateien geschrieben werden. Bitte wählen Sie einen anderen Ordner.",
    // 74: restart question after uninstallation.
    "Ihr Computer muss neu gestartet werden, um das Entfernen von <product> abzuschließen. "
    "Jetzt neu starten?",
    // 75: password page caption.
    "Kennwort",
    // 76: password page text.
    "Diese Installation ist durch ein Kennwort geschützt.",
    // 77: progress text while registering; "<file>" is the item.
    "<file> wird registriert...",
    // 78: progress text while writing registry entries.
    "Registrierungseinträge werden geschrieben...",
    // 79: Yes button.
    "&Ja",
    // 80: No button.
    "&Nein",
    // 81: wrong bitness; %d = the product's bitness (32 or 64).
    "Dies ist eine %d-Bit-Version von <product>; sie kann auf diesem System nicht "
    "installiert werden.",
    // 82: language page text.
    "Bitte wählen Sie die Sprache der Installation:",
    // 83: summary check box: open the first finish document.
    "Liesmich-Datei anzeigen",
    // 84: summary check box: start the program.
    "<product> jetzt starten",
    // 85: summary check box: open the log.
    "Installationsprotokoll anzeigen",
    // 86: name of the log shortcut.
    "Installationsprotokoll von <product>",
    // 87: summary check box: open the second finish document.
    "Website von <product> besuchen",
    // 88: start-menu page text and browser prompt.
    "Wählen Sie den Startmenüordner für die Verknüpfungen von <product>:",
    // 89: start-menu page caption.
    "Startmenüordner",
    // 90: Install button on the last page before installing.
    "&Installieren",
    // 91: another installer is running.
    "Eine andere Installation wird bereits ausgeführt. Bitte warten Sie, bis sie "
    "abgeschlossen ist.",
    // 92: label of the space required.
    "Benötigter Speicherplatz:",
    // 93: label of the space free.
    "Verfügbarer Speicherplatz:",
    // 94: language page caption.
    "Sprache",
    // 95: Finish button.
    "&Fertig stellen",
    // 96: drive refused; %s = the drive letter.
    "Laufwerk %s kann für diese Installation nicht verwendet werden. Bitte wählen Sie ein "
    "anderes Laufwerk.",
    // 97: status while a restore point is made.
    "Ein Systemwiederherstellungspunkt wird erstellt...",
    // 98: installation cancelled.
    "Die Installation von <product> wurde abgebrochen.",
    // 99: a program must be closed; %s = the program's name.
    "%s wird noch ausgeführt. Bitte schließen Sie das Programm und klicken Sie auf "
    "„Wiederholen“.",
    // 100: Retry button.
    "&Wiederholen",
    // 101: uninstallation cancelled.
    "Das Entfernen von <product> wurde abgebrochen.",
    // 102: wrong password.
    "Das Kennwort ist nicht korrekt. Bitte versuchen Sie es erneut.",
    // 103: greeting subheading of the banner variant.
    "Willkommen",
    // 104: Uninstall button.
    "&Deinstallieren",
    // 105: greeting link; the first "<a>" becomes the link.
    "<a>Mehr über <product></a>",
    // 106: downgrade refused; %s = the lowest version allowed.
    "Eine neuere Version von <product> ist installiert; Versionen unter %s können sie "
    "nicht ersetzen.",
    // 107: uninstall: a program must be closed; %s = the program's name.
    "%s wird noch ausgeführt. Bitte schließen Sie das Programm und klicken Sie auf "
    "„Wiederholen“.",
    // 108: uninstall status: installer packages.
    "Installationspakete werden entfernt...",
    // 109: support offer text.
    "Haben Sie Probleme mit <product>? Unser Supportteam kann Ihnen vielleicht helfen, "
    "bevor Sie das Programm entfernen.",
    // 110: support offer button and caption.
    "Support anfordern",
    // 111: caption of the cancel notice.
    "Abgebrochen",
    // 112: required product too old; %s = the version needed, %s = its name.
    "<product> benötigt Version %s oder höher von %s.",
    // 113: status before the installation folders are made.
    "Die Installation wird vorbereitet...",
};

}  // namespace ks::builder
