// The builder's default French texts (fr) for every message number, in the
// order and with the placeholders of the English table.
// Formal address ("vous"); no-break spaces (\u00a0) before ":", "?", "!", ";" and inside « ».
#include "languages/message_tables.h"

namespace ks::builder {

constexpr std::array<std::string_view, kMessageCount> kFrenchMessages = {
    // 0: main window's fallback title after a language change.
    "<product>",
    // 1: greeting page text.
    "Bienvenue\u00a0! Cet assistant va installer <description> sur votre ordinateur.\r\n\r\n"
    "Cliquez sur «\u00a0Suivant\u00a0» pour continuer ou sur «\u00a0Annuler\u00a0» pour "
    "quitter sans installer.",
    // 2: caption of the question about an earlier installation.
    "Installation existante détectée",
    // 3: earlier installation, versions not compared; the folder follows.
    "<product> est déjà installé dans ce dossier\u00a0:",
    // 4: the same version is installed; the folder follows.
    "Cette version de <product> est déjà installée dans ce dossier\u00a0:",
    // 5: an older version is installed (upgrade); the folder follows.
    "Une version plus ancienne de <product> est installée dans ce dossier\u00a0:",
    // 6: a newer version is installed (downgrade); the folder follows.
    "Une version plus récente de <product> est installée dans ce dossier\u00a0:",
    // 7: closes the earlier-installation question.
    "Voulez-vous poursuivre l'installation\u00a0?",
    // 8: status while the payload is being opened.
    "Préparation des fichiers de <product>...",
    // 9: an earlier version must be removed first (error box and page text).
    "Vous devez désinstaller une version antérieure de <product> avant d'installer cette "
    "version.",
    // 10: uninstall finished with failures; %s = the failure summary.
    "<product> a été supprimé, mais certains éléments n'ont pas pu l'être\u00a0:\r\n\r\n"
    "%s",
    // 11: destination page text and folder-browser prompt.
    "Choisissez le dossier dans lequel installer <product>\u00a0:",
    // 12: required product missing; %s = its name.
    "<product> nécessite %s, qui n'est pas installé sur cet ordinateur.",
    // 13: corrupt installer; %d = error code.
    "Ce programme d'installation est endommagé et ne peut pas continuer. Un téléchargement "
    "incomplet ou un virus a pu le modifier.\r\n\r\n"
    "Supprimez cette copie, téléchargez à nouveau le programme d'installation et exécutez "
    "la nouvelle copie. Si le problème persiste, recherchez la présence de virus sur votre "
    "ordinateur.\r\n\r\n"
    "Code d'erreur\u00a0: %d",
    // 14: malformed destination path; the path follows.
    "Le dossier d'installation n'est pas un chemin complet valide\u00a0:",
    // 15: caption of the uninstall success box.
    "Désinstallation terminée",
    // 16: destination drive not present; %s = the drive letter.
    "Le lecteur %s n'est pas disponible. Veuillez choisir un autre dossier.",
    // 17: destination is a drive root.
    "Veuillez choisir un dossier et non la racine d'un lecteur.",
    // 18: destination is a Program Files folder itself; %s = the folder.
    "<product> ne peut pas être installé directement dans %s. Veuillez choisir un "
    "sous-dossier.",
    // 19: too little disk space; %s = required space, %s = free space, %s = drive.
    "L'espace disque disponible est peut-être insuffisant pour <product>.\r\n\r\n"
    "Requis\u00a0: %s\r\n"
    "Disponible\u00a0: %s\r\n"
    "Lecteur\u00a0: %s\r\n\r\n"
    "Voulez-vous quand même installer\u00a0?",
    // 20: general caption of questions and warnings.
    "Installation de <product>",
    // 21: caption of error boxes and of the must-uninstall page.
    "Erreur d'installation de <product>",
    // 22: destination exists; %s = the folder.
    "<product> sera installé dans le dossier existant\r\n"
    "%s",
    // 23: destination will be created; %s = the folder.
    "Le dossier\r\n"
    "%s\r\n"
    "sera créé pour <product>.",
    // 24: caption of the destination page and its confirmation.
    "Dossier d'installation",
    // 25: a folder could not be created (folder and reason follow).
    "Impossible de créer le dossier",
    // 26: progress text while shortcuts are made.
    "Création des raccourcis...",
    // 27: label of the password field.
    "Mot de passe\u00a0:",
    // 28: question when Cancel is clicked on the progress page.
    "Voulez-vous vraiment arrêter l'installation de <product>\u00a0?",
    // 29: status while payload data is unpacked.
    "Décompression des fichiers...",
    // 30: destination folder name fails the name test.
    "Le nom du dossier contient des caractères non autorisés. Veuillez choisir un autre "
    "dossier.",
    // 31: a file could not be written (path and system error follow).
    "Impossible d'écrire le fichier",
    // 32: not used.
    "",
    // 33: name of the uninstall shortcut.
    "Désinstaller <product>",
    // 34: uninstall success text.
    "<product> a été supprimé de votre ordinateur.",
    // 35: caption of the shared-file removal question.
    "Supprimer un fichier partagé",
    // 36: status while the installation is finished.
    "Finalisation de l'installation...",
    // 37: restart question after installation.
    "Votre ordinateur doit être redémarré pour terminer l'installation de <product>. "
    "Redémarrer maintenant\u00a0?",
    // 38: default shortcut name; %s = the target's file name.
    "%s",
    // 39: progress page title while installing.
    "Installation de <product> en cours",
    // 40: failures occurred; %s = the log path.
    "Certaines parties de <product> n'ont pas pu être installées. Les détails figurent "
    "dans le fichier journal\r\n"
    "%s\r\n\r\n"
    "Voulez-vous afficher le journal maintenant\u00a0?",
    // 41: caption of that question.
    "Problèmes d'installation",
    // 42: successful installation (finish box and summary page).
    "<product> a été installé avec succès.",
    // 43: caption of the finish box and summary page; also the log's last line.
    "Installation terminée",
    // 44: licence page caption.
    "Contrat de licence",
    // 45: licence page accept button.
    "J'&accepte",
    // 46: licence page decline button.
    "Je &refuse",
    // 47: licence page text.
    "Veuillez lire attentivement le contrat de licence suivant\u00a0:",
    // 48: Next button.
    "&Suivant >",
    // 49: Cancel button.
    "Annuler",
    // 50: readme page caption.
    "Lisez-moi",
    // 51: readme page text.
    "Veuillez lire les informations suivantes\u00a0:",
    // 52: Browse button.
    "&Parcourir...",
    // 53: uninstall confirmation question.
    "Voulez-vous supprimer <product> et tous ses composants de cet ordinateur\u00a0?",
    // 54: progress caption and status while installing files.
    "Installation de <product>...",
    // 55: caption of the uninstaller's boxes and progress page.
    "Désinstallation de <product>",
    // 56: font removal question; %s = the font file.
    "Supprimer la police %s\u00a0?",
    // 57: caption of that question.
    "Supprimer la police",
    // 58: a file could not be deleted (path and error follow).
    "Impossible de supprimer le fichier",
    // 59: shared-file removal question; %s = the path.
    "Le fichier partagé\r\n"
    "%s\r\n"
    "n'est peut-être plus utilisé par aucun programme. Le supprimer\u00a0?",
    // 60: not used.
    "",
    // 61: this Windows version is excluded; %s = the system's name.
    "<product> ne peut pas être installé sur %s.",
    // 62: status while the payload is checked.
    "Vérification des données d'installation...",
    // 63: extra licence text per language; empty means none.
    "",
    // 64: extra readme text per language; empty means none.
    "",
    // 65: greeting caption and close-program question caption.
    "Installation de <product>",
    // 66: destination on a network path is refused.
    "Veuillez choisir un dossier sur un lecteur local et non sur le réseau.",
    // 67: uninstall status: fonts.
    "Suppression des polices...",
    // 68: uninstall status: log file.
    "Suppression du journal d'installation...",
    // 69: uninstall status: registry.
    "Suppression des entrées du Registre...",
    // 70: uninstall status: file associations.
    "Restauration des associations de fichiers...",
    // 71: progress page title while uninstalling.
    "Suppression de <product> en cours",
    // 72: upgrade confirmation question.
    "Une version plus ancienne de <product> va être mise à jour. Voulez-vous "
    "continuer\u00a0?",
    // 73: destination is not writable; %s = the folder.
    "Impossible d'écrire des fichiers dans\r\n"
    "%s\r\n"
    "Veuillez choisir un autre dossier.",
    // 74: restart question after uninstallation.
    "Votre ordinateur doit être redémarré pour terminer la suppression de <product>. "
    "Redémarrer maintenant\u00a0?",
    // 75: password page caption.
    "Mot de passe",
    // 76: password page text.
    "Cette installation est protégée par un mot de passe.",
    // 77: progress text while registering; "<file>" is the item.
    "Enregistrement de <file>...",
    // 78: progress text while writing registry entries.
    "Écriture des entrées du Registre...",
    // 79: Yes button.
    "&Oui",
    // 80: No button.
    "&Non",
    // 81: wrong bitness; %d = the product's bitness (32 or 64).
    "Ceci est une édition %d bits de <product>\u00a0; elle ne peut pas être installée sur "
    "ce système.",
    // 82: language page text.
    "Veuillez choisir la langue de l'installation\u00a0:",
    // 83: summary check box: open the first finish document.
    "Afficher le fichier Lisez-moi",
    // 84: summary check box: start the program.
    "Lancer <product> maintenant",
    // 85: summary check box: open the log.
    "Afficher le journal d'installation",
    // 86: name of the log shortcut.
    "Journal d'installation de <product>",
    // 87: summary check box: open the second finish document.
    "Visiter le site web de <product>",
    // 88: start-menu page text and browser prompt.
    "Choisissez le dossier du menu Démarrer pour les raccourcis de <product>\u00a0:",
    // 89: start-menu page caption.
    "Dossier du menu Démarrer",
    // 90: Install button on the last page before installing.
    "&Installer",
    // 91: another installer is running.
    "Une autre installation est déjà en cours. Veuillez attendre qu'elle soit terminée.",
    // 92: label of the space required.
    "Espace requis\u00a0:",
    // 93: label of the space free.
    "Espace disponible\u00a0:",
    // 94: language page caption.
    "Langue",
    // 95: Finish button.
    "&Terminer",
    // 96: drive refused; %s = the drive letter.
    "Le lecteur %s ne peut pas être utilisé pour cette installation. Veuillez choisir un "
    "autre lecteur.",
    // 97: status while a restore point is made.
    "Création d'un point de restauration système...",
    // 98: installation cancelled.
    "L'installation de <product> a été annulée.",
    // 99: a program must be closed; %s = the program's name.
    "%s est toujours en cours d'exécution. Veuillez le fermer, puis cliquer sur "
    "«\u00a0Réessayer\u00a0».",
    // 100: Retry button.
    "&Réessayer",
    // 101: uninstallation cancelled.
    "La suppression de <product> a été annulée.",
    // 102: wrong password.
    "Ce mot de passe est incorrect. Veuillez réessayer.",
    // 103: greeting subheading of the banner variant.
    "Bienvenue",
    // 104: Uninstall button.
    "&Désinstaller",
    // 105: greeting link; the first "<a>" becomes the link.
    "<a>En savoir plus sur <product></a>",
    // 106: downgrade refused; %s = the lowest version allowed.
    "Une version plus récente de <product> est installée\u00a0; les versions antérieures à "
    "%s ne peuvent pas la remplacer.",
    // 107: uninstall: a program must be closed; %s = the program's name.
    "%s est toujours en cours d'exécution. Veuillez le fermer, puis cliquer sur "
    "«\u00a0Réessayer\u00a0».",
    // 108: uninstall status: installer packages.
    "Suppression des packages d'installation...",
    // 109: support offer text.
    "Vous rencontrez des problèmes avec <product>\u00a0? Notre équipe d'assistance peut "
    "peut-être vous aider avant que vous ne le supprimiez.",
    // 110: support offer button and caption.
    "Obtenir de l'aide",
    // 111: caption of the cancel notice.
    "Annulé",
    // 112: required product too old; %s = the version needed, %s = its name.
    "<product> nécessite la version %s ou ultérieure de %s.",
    // 113: status before the installation folders are made.
    "Préparation de l'installation...",
};

}  // namespace ks::builder
