// The builder's default Spanish texts (es) for every message number, in the
// order and with the placeholders of the English table.
// Formal address ("usted"), neutral Spanish; "Registro" is the registry, "registro" the log.
#include "languages/message_tables.h"

namespace ks::builder {

constexpr std::array<std::string_view, kMessageCount> kSpanishMessages = {
    // 0: main window's fallback title after a language change.
    "<product>",
    // 1: greeting page text.
    "¡Bienvenido! Este asistente instalará <description> en su equipo.\r\n\r\n"
    "Haga clic en Siguiente para continuar o en Cancelar para salir sin instalar.",
    // 2: caption of the question about an earlier installation.
    "Se encontró una instalación anterior",
    // 3: earlier installation, versions not compared; the folder follows.
    "<product> ya está instalado en esta carpeta:",
    // 4: the same version is installed; the folder follows.
    "Esta versión de <product> ya está instalada en esta carpeta:",
    // 5: an older version is installed (upgrade); the folder follows.
    "Hay una versión anterior de <product> instalada en esta carpeta:",
    // 6: a newer version is installed (downgrade); the folder follows.
    "Hay una versión más reciente de <product> instalada en esta carpeta:",
    // 7: closes the earlier-installation question.
    "¿Desea continuar con la instalación?",
    // 8: status while the payload is being opened.
    "Preparando los archivos de <product>...",
    // 9: an earlier version must be removed first (error box and page text).
    "Es necesario quitar una versión anterior de <product> antes de poder instalar esta "
    "versión.",
    // 10: uninstall finished with failures; %s = the failure summary.
    "Se quitó <product>, pero algunos elementos no se pudieron quitar:\r\n\r\n"
    "%s",
    // 11: destination page text and folder-browser prompt.
    "Elija la carpeta en la que se instalará <product>:",
    // 12: required product missing; %s = its name.
    "<product> necesita %s, que no está instalado en este equipo.",
    // 13: corrupt installer; %d = error code.
    "Este instalador está dañado y no puede continuar. Es posible que una descarga "
    "incompleta o un virus lo hayan modificado.\r\n\r\n"
    "Elimine esta copia, vuelva a descargar el instalador y ejecute la nueva copia. Si el "
    "problema persiste, compruebe si hay virus en su equipo.\r\n\r\n"
    "Código de error: %d",
    // 14: malformed destination path; the path follows.
    "La carpeta de instalación no es una ruta completa válida:",
    // 15: caption of the uninstall success box.
    "Desinstalación completada",
    // 16: destination drive not present; %s = the drive letter.
    "La unidad %s no está disponible. Elija otra carpeta.",
    // 17: destination is a drive root.
    "Elija una carpeta, no la raíz de una unidad.",
    // 18: destination is a Program Files folder itself; %s = the folder.
    "<product> no se puede instalar directamente en %s. Elija una subcarpeta.",
    // 19: too little disk space; %s = required space, %s = free space, %s = drive.
    "Es posible que no haya suficiente espacio libre en disco para <product>.\r\n\r\n"
    "Necesario: %s\r\n"
    "Libre: %s\r\n"
    "Unidad: %s\r\n\r\n"
    "¿Desea instalarlo de todos modos?",
    // 20: general caption of questions and warnings.
    "Instalación de <product>",
    // 21: caption of error boxes and of the must-uninstall page.
    "Error de instalación de <product>",
    // 22: destination exists; %s = the folder.
    "<product> se instalará en la carpeta existente\r\n"
    "%s",
    // 23: destination will be created; %s = the folder.
    "Se creará la carpeta\r\n"
    "%s\r\n"
    "para <product>.",
    // 24: caption of the destination page and its confirmation.
    "Carpeta de instalación",
    // 25: a folder could not be created (folder and reason follow).
    "No se pudo crear la carpeta",
    // 26: progress text while shortcuts are made.
    "Creando accesos directos...",
    // 27: label of the password field.
    "Contraseña:",
    // 28: question when Cancel is clicked on the progress page.
    "¿Está seguro de que desea detener la instalación de <product>?",
    // 29: status while payload data is unpacked.
    "Descomprimiendo archivos...",
    // 30: destination folder name fails the name test.
    "El nombre de la carpeta contiene caracteres no válidos. Elija otra carpeta.",
    // 31: a file could not be written (path and system error follow).
    "No se pudo escribir el archivo",
    // 32: not used.
    "",
    // 33: name of the uninstall shortcut.
    "Desinstalar <product>",
    // 34: uninstall success text.
    "<product> se quitó de su equipo.",
    // 35: caption of the shared-file removal question.
    "Quitar archivo compartido",
    // 36: status while the installation is finished.
    "Finalizando la instalación...",
    // 37: restart question after installation.
    "Debe reiniciar el equipo para completar la instalación de <product>. ¿Desea "
    "reiniciarlo ahora?",
    // 38: default shortcut name; %s = the target's file name.
    "%s",
    // 39: progress page title while installing.
    "Instalando <product>",
    // 40: failures occurred; %s = the log path.
    "Algunas partes de <product> no se pudieron instalar. Encontrará los detalles en el "
    "archivo de registro\r\n"
    "%s\r\n\r\n"
    "¿Desea ver el registro ahora?",
    // 41: caption of that question.
    "Problemas de instalación",
    // 42: successful installation (finish box and summary page).
    "<product> se instaló correctamente.",
    // 43: caption of the finish box and summary page; also the log's last line.
    "Instalación completada",
    // 44: licence page caption.
    "Contrato de licencia",
    // 45: licence page accept button.
    "&Acepto",
    // 46: licence page decline button.
    "&No acepto",
    // 47: licence page text.
    "Lea atentamente el siguiente contrato de licencia:",
    // 48: Next button.
    "&Siguiente >",
    // 49: Cancel button.
    "Cancelar",
    // 50: readme page caption.
    "Léame",
    // 51: readme page text.
    "Lea la siguiente información:",
    // 52: Browse button.
    "&Examinar...",
    // 53: uninstall confirmation question.
    "¿Desea quitar <product> y todos sus componentes de este equipo?",
    // 54: progress caption and status while installing files.
    "Instalando <product>...",
    // 55: caption of the uninstaller's boxes and progress page.
    "Quitar <product>",
    // 56: font removal question; %s = the font file.
    "¿Desea quitar la fuente %s?",
    // 57: caption of that question.
    "Quitar fuente",
    // 58: a file could not be deleted (path and error follow).
    "No se pudo eliminar el archivo",
    // 59: shared-file removal question; %s = the path.
    "Es posible que ningún programa necesite ya el archivo compartido\r\n"
    "%s\r\n"
    "¿Desea quitarlo?",
    // 60: not used.
    "",
    // 61: this Windows version is excluded; %s = the system's name.
    "<product> no se puede instalar en %s.",
    // 62: status while the payload is checked.
    "Comprobando los datos de instalación...",
    // 63: extra licence text per language; empty means none.
    "",
    // 64: extra readme text per language; empty means none.
    "",
    // 65: greeting caption and close-program question caption.
    "Instalación de <product>",
    // 66: destination on a network path is refused.
    "Elija una carpeta en una unidad local, no en la red.",
    // 67: uninstall status: fonts.
    "Quitando fuentes...",
    // 68: uninstall status: log file.
    "Quitando el registro de instalación...",
    // 69: uninstall status: registry.
    "Quitando entradas del Registro...",
    // 70: uninstall status: file associations.
    "Restaurando asociaciones de archivos...",
    // 71: progress page title while uninstalling.
    "Quitando <product>",
    // 72: upgrade confirmation question.
    "Se actualizará una versión anterior de <product>. ¿Desea continuar?",
    // 73: destination is not writable; %s = the folder.
    "No se pueden escribir archivos en\r\n"
    "%s\r\n"
    "Elija otra carpeta.",
    // 74: restart question after uninstallation.
    "Debe reiniciar el equipo para terminar de quitar <product>. ¿Desea reiniciarlo ahora?",
    // 75: password page caption.
    "Contraseña",
    // 76: password page text.
    "Esta instalación está protegida con contraseña.",
    // 77: progress text while registering; "<file>" is the item.
    "Registrando <file>...",
    // 78: progress text while writing registry entries.
    "Escribiendo entradas del Registro...",
    // 79: Yes button.
    "&Sí",
    // 80: No button.
    "&No",
    // 81: wrong bitness; %d = the product's bitness (32 or 64).
    "Esta es una edición de %d bits de <product>; no se puede instalar en este sistema.",
    // 82: language page text.
    "Elija el idioma de la instalación:",
    // 83: summary check box: open the first finish document.
    "Mostrar el archivo Léame",
    // 84: summary check box: start the program.
    "Iniciar <product> ahora",
    // 85: summary check box: open the log.
    "Mostrar el registro de instalación",
    // 86: name of the log shortcut.
    "Registro de instalación de <product>",
    // 87: summary check box: open the second finish document.
    "Visitar la página web de <product>",
    // 88: start-menu page text and browser prompt.
    "Elija la carpeta del menú Inicio para los accesos directos de <product>:",
    // 89: start-menu page caption.
    "Carpeta del menú Inicio",
    // 90: Install button on the last page before installing.
    "&Instalar",
    // 91: another installer is running.
    "Ya hay otra instalación en curso. Espere a que finalice.",
    // 92: label of the space required.
    "Espacio necesario:",
    // 93: label of the space free.
    "Espacio libre:",
    // 94: language page caption.
    "Idioma",
    // 95: Finish button.
    "&Finalizar",
    // 96: drive refused; %s = the drive letter.
    "La unidad %s no se puede usar para esta instalación. Elija otra unidad.",
    // 97: status while a restore point is made.
    "Creando un punto de restauración del sistema...",
    // 98: installation cancelled.
    "Se canceló la instalación de <product>.",
    // 99: a program must be closed; %s = the program's name.
    "%s todavía se está ejecutando. Ciérrelo y haga clic en Reintentar.",
    // 100: Retry button.
    "&Reintentar",
    // 101: uninstallation cancelled.
    "Se canceló la desinstalación de <product>.",
    // 102: wrong password.
    "La contraseña no es correcta. Inténtelo de nuevo.",
    // 103: greeting subheading of the banner variant.
    "Bienvenido",
    // 104: Uninstall button.
    "&Desinstalar",
    // 105: greeting link; the first "<a>" becomes the link.
    "<a>Más información sobre <product></a>",
    // 106: downgrade refused; %s = the lowest version allowed.
    "Hay una versión más reciente de <product> instalada; las versiones anteriores a %s no "
    "pueden reemplazarla.",
    // 107: uninstall: a program must be closed; %s = the program's name.
    "%s todavía se está ejecutando. Ciérrelo y haga clic en Reintentar.",
    // 108: uninstall status: installer packages.
    "Quitando paquetes de instalación...",
    // 109: support offer text.
    "¿Tiene problemas con <product>? Es posible que nuestro equipo de soporte pueda "
    "ayudarle antes de que lo quite.",
    // 110: support offer button and caption.
    "Obtener soporte",
    // 111: caption of the cancel notice.
    "Cancelado",
    // 112: required product too old; %s = the version needed, %s = its name.
    "<product> necesita la versión %s o posterior de %s.",
    // 113: status before the installation folders are made.
    "Preparando la instalación...",
};

}  // namespace ks::builder
