// The builder's default Dutch texts (nl) for every message number, in the
// order and with the placeholders of the English table.
// Formal address ("u").
#include "languages/message_tables.h"

namespace ks::builder {

constexpr std::array<std::string_view, kMessageCount> kDutchMessages = {
    // 0: main window's fallback title after a language change.
    "<product>",
    // 1: greeting page text.
    "Welkom! Met deze wizard installeert u <description> op uw computer.\r\n\r\n"
    "Klik op Volgende om door te gaan of op Annuleren om af te sluiten zonder te "
    "installeren.",
    // 2: caption of the question about an earlier installation.
    "Eerdere installatie gevonden",
    // 3: earlier installation, versions not compared; the folder follows.
    "<product> is al geïnstalleerd in deze map:",
    // 4: the same version is installed; the folder follows.
    "Deze versie van <product> is al geïnstalleerd in deze map:",
    // 5: an older version is installed (upgrade); the folder follows.
    "Er is een oudere versie van <product> geïnstalleerd in deze map:",
    // 6: a newer version is installed (downgrade); the folder follows.
    "Er is een nieuwere versie van <product> geïnstalleerd in deze map:",
    // 7: closes the earlier-installation question.
    "Wilt u doorgaan met de installatie?",
    // 8: status while the payload is being opened.
    "De bestanden van <product> worden voorbereid...",
    // 9: an earlier version must be removed first (error box and page text).
    "Een eerdere versie van <product> moet worden verwijderd voordat deze versie kan "
    "worden geïnstalleerd.",
    // 10: uninstall finished with failures; %s = the failure summary.
    "<product> is verwijderd, maar sommige onderdelen konden niet worden verwijderd:\r\n\r\n"
    "%s",
    // 11: destination page text and folder-browser prompt.
    "Kies de map waarin <product> wordt geïnstalleerd:",
    // 12: required product missing; %s = its name.
    "<product> vereist %s, maar dit is niet op deze computer geïnstalleerd.",
    // 13: corrupt installer; %d = error code.
    "Dit installatieprogramma is beschadigd en kan niet doorgaan. Mogelijk is het "
    "gewijzigd door een onvolledige download of een virus.\r\n\r\n"
    "Verwijder dit exemplaar, download het installatieprogramma opnieuw en voer het nieuwe "
    "exemplaar uit. Helpt dat niet, controleer uw computer dan op virussen.\r\n\r\n"
    "Foutcode: %d",
    // 14: malformed destination path; the path follows.
    "De installatiemap is geen geldig volledig pad:",
    // 15: caption of the uninstall success box.
    "Verwijderen voltooid",
    // 16: destination drive not present; %s = the drive letter.
    "Station %s is niet beschikbaar. Kies een andere map.",
    // 17: destination is a drive root.
    "Kies een map, niet de hoofdmap van een station.",
    // 18: destination is a Program Files folder itself; %s = the folder.
    "<product> kan niet rechtstreeks in %s worden geïnstalleerd. Kies een submap.",
    // 19: too little disk space; %s = required space, %s = free space, %s = drive.
    "Er is mogelijk niet genoeg vrije schijfruimte voor <product>.\r\n\r\n"
    "Benodigd: %s\r\n"
    "Vrij: %s\r\n"
    "Station: %s\r\n\r\n"
    "Wilt u toch installeren?",
    // 20: general caption of questions and warnings.
    "Installatie van <product>",
    // 21: caption of error boxes and of the must-uninstall page.
    "Fout bij installatie van <product>",
    // 22: destination exists; %s = the folder.
    "<product> wordt geïnstalleerd in de bestaande map\r\n"
    "%s",
    // 23: destination will be created; %s = the folder.
    "De map\r\n"
    "%s\r\n"
    "wordt gemaakt voor <product>.",
    // 24: caption of the destination page and its confirmation.
    "Installatiemap",
    // 25: a folder could not be created (folder and reason follow).
    "Kan de map niet maken",
    // 26: progress text while shortcuts are made.
    "Snelkoppelingen worden gemaakt...",
    // 27: label of the password field.
    "Wachtwoord:",
    // 28: question when Cancel is clicked on the progress page.
    "Weet u zeker dat u de installatie van <product> wilt stoppen?",
    // 29: status while payload data is unpacked.
    "Bestanden worden uitgepakt...",
    // 30: destination folder name fails the name test.
    "De mapnaam bevat tekens die niet kunnen worden gebruikt. Kies een andere map.",
    // 31: a file could not be written (path and system error follow).
    "Kan het bestand niet schrijven",
    // 32: not used.
    "",
    // 33: name of the uninstall shortcut.
    "<product> verwijderen",
    // 34: uninstall success text.
    "<product> is van uw computer verwijderd.",
    // 35: caption of the shared-file removal question.
    "Gedeeld bestand verwijderen",
    // 36: status while the installation is finished.
    "De installatie wordt voltooid...",
    // 37: restart question after installation.
    "Uw computer moet opnieuw worden opgestart om de installatie van <product> te "
    "voltooien. Nu opnieuw opstarten?",
    // 38: default shortcut name; %s = the target's file name.
    "%s",
    // 39: progress page title while installing.
    "<product> wordt geïnstalleerd",
    // 40: failures occurred; %s = the log path.
    "Sommige onderdelen van <product> konden niet worden geïnstalleerd. De details staan "
    "in het logbestand\r\n"
    "%s\r\n\r\n"
    "Wilt u het logbestand nu bekijken?",
    // 41: caption of that question.
    "Problemen bij de installatie",
    // 42: successful installation (finish box and summary page).
    "<product> is met succes geïnstalleerd.",
    // 43: caption of the finish box and summary page; also the log's last line.
    "Installatie voltooid",
    // 44: licence page caption.
    "Licentieovereenkomst",
    // 45: licence page accept button.
    "Ik &ga akkoord",
    // 46: licence page decline button.
    "Ik ga &niet akkoord",
    // 47: licence page text.
    "Lees de volgende licentieovereenkomst zorgvuldig:",
    // 48: Next button.
    "&Volgende >",
    // 49: Cancel button.
    "Annuleren",
    // 50: readme page caption.
    "Leesmij",
    // 51: readme page text.
    "Lees de volgende informatie:",
    // 52: Browse button.
    "&Bladeren...",
    // 53: uninstall confirmation question.
    "Wilt u <product> en al zijn onderdelen van deze computer verwijderen?",
    // 54: progress caption and status while installing files.
    "<product> wordt geïnstalleerd...",
    // 55: caption of the uninstaller's boxes and progress page.
    "<product> verwijderen",
    // 56: font removal question; %s = the font file.
    "Het lettertype %s verwijderen?",
    // 57: caption of that question.
    "Lettertype verwijderen",
    // 58: a file could not be deleted (path and error follow).
    "Kan het bestand niet verwijderen",
    // 59: shared-file removal question; %s = the path.
    "Het gedeelde bestand\r\n"
    "%s\r\n"
    "wordt mogelijk door geen enkel programma meer gebruikt. Verwijderen?",
    // 60: not used.
    "",
    // 61: this Windows version is excluded; %s = the system's name.
    "<product> kan niet op %s worden geïnstalleerd.",
    // 62: status while the payload is checked.
    "De installatiegegevens worden gecontroleerd...",
    // 63: extra licence text per language; empty means none.
    "",
    // 64: extra readme text per language; empty means none.
    "",
    // 65: greeting caption and close-program question caption.
    "Installatie van <product>",
    // 66: destination on a network path is refused.
    "Kies een map op een lokaal station, niet op het netwerk.",
    // 67: uninstall status: fonts.
    "Lettertypen worden verwijderd...",
    // 68: uninstall status: log file.
    "Het installatielogbestand wordt verwijderd...",
    // 69: uninstall status: registry.
    "Registervermeldingen worden verwijderd...",
    // 70: uninstall status: file associations.
    "Bestandskoppelingen worden hersteld...",
    // 71: progress page title while uninstalling.
    "<product> wordt verwijderd",
    // 72: upgrade confirmation question.
    "Hiermee wordt een oudere versie van <product> bijgewerkt. Wilt u doorgaan?",
    // 73: destination is not writable; %s = the folder.
    "Er kunnen geen bestanden worden geschreven naar\r\n"
    "%s\r\n"
    "Kies een andere map.",
    // 74: restart question after uninstallation.
    "Uw computer moet opnieuw worden opgestart om het verwijderen van <product> te "
    "voltooien. Nu opnieuw opstarten?",
    // 75: password page caption.
    "Wachtwoord",
    // 76: password page text.
    "Deze installatie is beveiligd met een wachtwoord.",
    // 77: progress text while registering; "<file>" is the item.
    "<file> wordt geregistreerd...",
    // 78: progress text while writing registry entries.
    "Registervermeldingen worden geschreven...",
    // 79: Yes button.
    "&Ja",
    // 80: No button.
    "&Nee",
    // 81: wrong bitness; %d = the product's bitness (32 or 64).
    "Dit is een %d-bits editie van <product>; deze kan niet op dit systeem worden "
    "geïnstalleerd.",
    // 82: language page text.
    "Kies de taal van de installatie:",
    // 83: summary check box: open the first finish document.
    "Leesmij-bestand weergeven",
    // 84: summary check box: start the program.
    "<product> nu starten",
    // 85: summary check box: open the log.
    "Installatielogbestand weergeven",
    // 86: name of the log shortcut.
    "Installatielogbestand van <product>",
    // 87: summary check box: open the second finish document.
    "Website van <product> bezoeken",
    // 88: start-menu page text and browser prompt.
    "Kies de map in het menu Start voor de snelkoppelingen van <product>:",
    // 89: start-menu page caption.
    "Map in menu Start",
    // 90: Install button on the last page before installing.
    "&Installeren",
    // 91: another installer is running.
    "Er wordt al een andere installatie uitgevoerd. Wacht tot deze is voltooid.",
    // 92: label of the space required.
    "Benodigde ruimte:",
    // 93: label of the space free.
    "Beschikbare ruimte:",
    // 94: language page caption.
    "Taal",
    // 95: Finish button.
    "&Voltooien",
    // 96: drive refused; %s = the drive letter.
    "Station %s kan niet voor deze installatie worden gebruikt. Kies een ander station.",
    // 97: status while a restore point is made.
    "Er wordt een systeemherstelpunt gemaakt...",
    // 98: installation cancelled.
    "De installatie van <product> is geannuleerd.",
    // 99: a program must be closed; %s = the program's name.
    "%s wordt nog uitgevoerd. Sluit het programma en klik op Opnieuw.",
    // 100: Retry button.
    "&Opnieuw",
    // 101: uninstallation cancelled.
    "Het verwijderen van <product> is geannuleerd.",
    // 102: wrong password.
    "Dit wachtwoord is onjuist. Probeer het opnieuw.",
    // 103: greeting subheading of the banner variant.
    "Welkom",
    // 104: Uninstall button.
    "&Verwijderen",
    // 105: greeting link; the first "<a>" becomes the link.
    "<a>Meer over <product></a>",
    // 106: downgrade refused; %s = the lowest version allowed.
    "Er is een nieuwere versie van <product> geïnstalleerd; versies lager dan %s kunnen "
    "deze niet vervangen.",
    // 107: uninstall: a program must be closed; %s = the program's name.
    "%s wordt nog uitgevoerd. Sluit het programma en klik op Opnieuw.",
    // 108: uninstall status: installer packages.
    "Installatiepakketten worden verwijderd...",
    // 109: support offer text.
    "Problemen met <product>? Ons ondersteuningsteam kan u misschien helpen voordat u het "
    "verwijdert.",
    // 110: support offer button and caption.
    "Ondersteuning krijgen",
    // 111: caption of the cancel notice.
    "Geannuleerd",
    // 112: required product too old; %s = the version needed, %s = its name.
    "<product> vereist versie %s of hoger van %s.",
    // 113: status before the installation folders are made.
    "De installatie wordt voorbereid...",
};

}  // namespace ks::builder
