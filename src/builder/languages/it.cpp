// The builder's default Italian texts (it) for every message number, in the
// order and with the placeholders of the English table.
// Impersonal infinitive instructions ("Selezionare...") as in the system dialogs.
#include "languages/message_tables.h"

namespace ks::builder {

constexpr std::array<std::string_view, kMessageCount> kItalianMessages = {
    // 0: main window's fallback title after a language change.
    "<product>",
    // 1: greeting page text.
    "Benvenuto! Questa procedura guidata installerà <description> nel computer.\r\n\r\n"
    "Fare clic su Avanti per continuare oppure su Annulla per uscire senza installare.",
    // 2: caption of the question about an earlier installation.
    "Rilevata installazione precedente",
    // 3: earlier installation, versions not compared; the folder follows.
    "<product> è già installato in questa cartella:",
    // 4: the same version is installed; the folder follows.
    "Questa versione di <product> è già installata in questa cartella:",
    // 5: an older version is installed (upgrade); the folder follows.
    "In questa cartella è installata una versione precedente di <product>:",
    // 6: a newer version is installed (downgrade); the folder follows.
    "In questa cartella è installata una versione più recente di <product>:",
    // 7: closes the earlier-installation question.
    "Continuare l'installazione?",
    // 8: status while the payload is being opened.
    "Preparazione dei file di <product> in corso...",
    // 9: an earlier version must be removed first (error box and page text).
    "Prima di installare questa versione è necessario rimuovere una versione precedente di "
    "<product>.",
    // 10: uninstall finished with failures; %s = the failure summary.
    "<product> è stato rimosso, ma non è stato possibile rimuovere alcuni elementi:\r\n\r\n"
    "%s",
    // 11: destination page text and folder-browser prompt.
    "Selezionare la cartella in cui installare <product>:",
    // 12: required product missing; %s = its name.
    "<product> richiede %s, che non è installato in questo computer.",
    // 13: corrupt installer; %d = error code.
    "Il programma di installazione è danneggiato e non può continuare. Potrebbe essere "
    "stato modificato da un download incompleto o da un virus.\r\n\r\n"
    "Eliminare questa copia, scaricare di nuovo il programma di installazione ed eseguire "
    "la nuova copia. Se il problema persiste, verificare la presenza di virus nel computer.\r\n\r\n"
    "Codice di errore: %d",
    // 14: malformed destination path; the path follows.
    "La cartella di installazione non è un percorso completo valido:",
    // 15: caption of the uninstall success box.
    "Disinstallazione completata",
    // 16: destination drive not present; %s = the drive letter.
    "L'unità %s non è disponibile. Selezionare un'altra cartella.",
    // 17: destination is a drive root.
    "Selezionare una cartella, non la radice di un'unità.",
    // 18: destination is a Program Files folder itself; %s = the folder.
    "Impossibile installare <product> direttamente in %s. Selezionare una sottocartella.",
    // 19: too little disk space; %s = required space, %s = free space, %s = drive.
    "Lo spazio libero su disco potrebbe non essere sufficiente per <product>.\r\n\r\n"
    "Necessario: %s\r\n"
    "Disponibile: %s\r\n"
    "Unità: %s\r\n\r\n"
    "Installare comunque?",
    // 20: general caption of questions and warnings.
    "Installazione di <product>",
    // 21: caption of error boxes and of the must-uninstall page.
    "Errore di installazione di <product>",
    // 22: destination exists; %s = the folder.
    "<product> verrà installato nella cartella esistente\r\n"
    "%s",
    // 23: destination will be created; %s = the folder.
    "La cartella\r\n"
    "%s\r\n"
    "verrà creata per <product>.",
    // 24: caption of the destination page and its confirmation.
    "Cartella di installazione",
    // 25: a folder could not be created (folder and reason follow).
    "Impossibile creare la cartella",
    // 26: progress text while shortcuts are made.
    "Creazione dei collegamenti in corso...",
    // 27: label of the password field.
    "Password:",
    // 28: question when Cancel is clicked on the progress page.
    "Interrompere l'installazione di <product>?",
    // 29: status while payload data is unpacked.
    "Decompressione dei file in corso...",
    // 30: destination folder name fails the name test.
    "Il nome della cartella contiene caratteri non validi. Selezionare un'altra cartella.",
    // 31: a file could not be written (path and system error follow).
    "Impossibile scrivere il file",
    // 32: not used.
    "",
    // 33: name of the uninstall shortcut.
    "Disinstalla <product>",
    // 34: uninstall success text.
    "<product> è stato rimosso dal computer.",
    // 35: caption of the shared-file removal question.
    "Rimozione file condiviso",
    // 36: status while the installation is finished.
    "Completamento dell'installazione in corso...",
    // 37: restart question after installation.
    "Per completare l'installazione di <product> è necessario riavviare il computer. "
    "Riavviare ora?",
    // 38: default shortcut name; %s = the target's file name.
    "%s",
    // 39: progress page title while installing.
    "Installazione di <product> in corso",
    // 40: failures occurred; %s = the log path.
    "Non è stato possibile installare alcune parti di <product>. I dettagli sono "
    "disponibili nel file di log\r\n"
    "%s\r\n\r\n"
    "Visualizzare il log ora?",
    // 41: caption of that question.
    "Problemi di installazione",
    // 42: successful installation (finish box and summary page).
    "<product> è stato installato correttamente.",
    // 43: caption of the finish box and summary page; also the log's last line.
    "Installazione completata",
    // 44: licence page caption.
    "Contratto di licenza",
    // 45: licence page accept button.
    "&Accetto",
    // 46: licence page decline button.
    "&Non accetto",
    // 47: licence page text.
    "Leggere attentamente il seguente contratto di licenza:",
    // 48: Next button.
    "&Avanti >",
    // 49: Cancel button.
    "Annulla",
    // 50: readme page caption.
    "Leggimi",
    // 51: readme page text.
    "Leggere le seguenti informazioni:",
    // 52: Browse button.
    "&Sfoglia...",
    // 53: uninstall confirmation question.
    "Rimuovere <product> e tutti i relativi componenti dal computer?",
    // 54: progress caption and status while installing files.
    "Installazione di <product> in corso...",
    // 55: caption of the uninstaller's boxes and progress page.
    "Rimozione di <product>",
    // 56: font removal question; %s = the font file.
    "Rimuovere il tipo di carattere %s?",
    // 57: caption of that question.
    "Rimozione tipo di carattere",
    // 58: a file could not be deleted (path and error follow).
    "Impossibile eliminare il file",
    // 59: shared-file removal question; %s = the path.
    "Il file condiviso\r\n"
    "%s\r\n"
    "potrebbe non essere più necessario ad alcun programma. Rimuoverlo?",
    // 60: not used.
    "",
    // 61: this Windows version is excluded; %s = the system's name.
    "Impossibile installare <product> su %s.",
    // 62: status while the payload is checked.
    "Verifica dei dati di installazione in corso...",
    // 63: extra licence text per language; empty means none.
    "",
    // 64: extra readme text per language; empty means none.
    "",
    // 65: greeting caption and close-program question caption.
    "Installazione di <product>",
    // 66: destination on a network path is refused.
    "Selezionare una cartella in un'unità locale, non in rete.",
    // 67: uninstall status: fonts.
    "Rimozione dei tipi di carattere in corso...",
    // 68: uninstall status: log file.
    "Rimozione del log di installazione in corso...",
    // 69: uninstall status: registry.
    "Rimozione delle voci del Registro di sistema in corso...",
    // 70: uninstall status: file associations.
    "Ripristino delle associazioni dei file in corso...",
    // 71: progress page title while uninstalling.
    "Rimozione di <product> in corso",
    // 72: upgrade confirmation question.
    "Verrà aggiornata una versione precedente di <product>. Continuare?",
    // 73: destination is not writable; %s = the folder.
    "Impossibile scrivere file in\r\n"
    "%s\r\n"
    "Selezionare un'altra cartella.",
    // 74: restart question after uninstallation.
    "Per completare la rimozione di <product> è necessario riavviare il computer. "
    "Riavviare ora?",
    // 75: password page caption.
    "Password",
    // 76: password page text.
    "Questa installazione è protetta da password.",
    // 77: progress text while registering; "<file>" is the item.
    "Registrazione di <file> in corso...",
    // 78: progress text while writing registry entries.
    "Scrittura delle voci del Registro di sistema in corso...",
    // 79: Yes button.
    "&Sì",
    // 80: No button.
    "&No",
    // 81: wrong bitness; %d = the product's bitness (32 or 64).
    "Questa è un'edizione a %d bit di <product> e non può essere installata in questo "
    "sistema.",
    // 82: language page text.
    "Selezionare la lingua dell'installazione:",
    // 83: summary check box: open the first finish document.
    "Visualizza il file Leggimi",
    // 84: summary check box: start the program.
    "Avvia <product>",
    // 85: summary check box: open the log.
    "Visualizza il log di installazione",
    // 86: name of the log shortcut.
    "Log di installazione di <product>",
    // 87: summary check box: open the second finish document.
    "Visita il sito web di <product>",
    // 88: start-menu page text and browser prompt.
    "Selezionare la cartella del menu Start per i collegamenti di <product>:",
    // 89: start-menu page caption.
    "Cartella del menu Start",
    // 90: Install button on the last page before installing.
    "&Installa",
    // 91: another installer is running.
    "È già in corso un'altra installazione. Attendere il completamento.",
    // 92: label of the space required.
    "Spazio necessario:",
    // 93: label of the space free.
    "Spazio disponibile:",
    // 94: language page caption.
    "Lingua",
    // 95: Finish button.
    "&Fine",
    // 96: drive refused; %s = the drive letter.
    "Impossibile usare l'unità %s per questa installazione. Selezionare un'altra unità.",
    // 97: status while a restore point is made.
    "Creazione di un punto di ripristino del sistema in corso...",
    // 98: installation cancelled.
    "L'installazione di <product> è stata annullata.",
    // 99: a program must be closed; %s = the program's name.
    "%s è ancora in esecuzione. Chiudere il programma e fare clic su Riprova.",
    // 100: Retry button.
    "&Riprova",
    // 101: uninstallation cancelled.
    "La rimozione di <product> è stata annullata.",
    // 102: wrong password.
    "La password non è corretta. Riprovare.",
    // 103: greeting subheading of the banner variant.
    "Benvenuto",
    // 104: Uninstall button.
    "&Disinstalla",
    // 105: greeting link; the first "<a>" becomes the link.
    "<a>Ulteriori informazioni su <product></a>",
    // 106: downgrade refused; %s = the lowest version allowed.
    "È installata una versione più recente di <product>; le versioni precedenti alla %s "
    "non possono sostituirla.",
    // 107: uninstall: a program must be closed; %s = the program's name.
    "%s è ancora in esecuzione. Chiudere il programma e fare clic su Riprova.",
    // 108: uninstall status: installer packages.
    "Rimozione dei pacchetti di installazione in corso...",
    // 109: support offer text.
    "Problemi con <product>? Prima della rimozione, il nostro team di supporto potrebbe "
    "riuscire a risolverli.",
    // 110: support offer button and caption.
    "Richiedi supporto",
    // 111: caption of the cancel notice.
    "Annullato",
    // 112: required product too old; %s = the version needed, %s = its name.
    "<product> richiede la versione %s o successiva di %s.",
    // 113: status before the installation folders are made.
    "Preparazione dell'installazione in corso...",
};

}  // namespace ks::builder
