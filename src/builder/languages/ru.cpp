// The builder's default Russian texts (ru) for every message number, in the
// order and with the placeholders of the English table.
// Formal address; "программа <product>" keeps the name undeclined; no "ё".
#include "languages/message_tables.h"

namespace ks::builder {

constexpr std::array<std::string_view, kMessageCount> kRussianMessages = {
    // 0: main window's fallback title after a language change.
    "<product>",
    // 1: greeting page text.
    "Добро пожаловать! Этот мастер установит <description> на ваш компьютер.\r\n\r\n"
    "Нажмите кнопку «Далее», чтобы продолжить, или «Отмена», чтобы выйти без установки.",
    // 2: caption of the question about an earlier installation.
    "Обнаружена предыдущая установка",
    // 3: earlier installation, versions not compared; the folder follows.
    "Программа <product> уже установлена в этой папке:",
    // 4: the same version is installed; the folder follows.
    "Эта версия программы <product> уже установлена в этой папке:",
    // 5: an older version is installed (upgrade); the folder follows.
    "В этой папке установлена более старая версия программы <product>:",
    // 6: a newer version is installed (downgrade); the folder follows.
    "В этой папке установлена более новая версия программы <product>:",
    // 7: closes the earlier-installation question.
    "Продолжить установку?",
    // 8: status while the payload is being opened.
    "Подготовка файлов программы <product>...",
    // 9: an earlier version must be removed first (error box and page text).
    "Перед установкой этой версии необходимо удалить предыдущую версию программы <product>.",
    // 10: uninstall finished with failures; %s = the failure summary.
    "Программа <product> удалена, но некоторые элементы удалить не удалось:\r\n\r\n"
    "%s",
    // 11: destination page text and folder-browser prompt.
    "Выберите папку, в которую будет установлена программа <product>:",
    // 12: required product missing; %s = its name.
    "Для программы <product> требуется компонент %s, который не установлен на этом "
    "компьютере.",
    // 13: corrupt installer; %d = error code.
    "Этот установщик поврежден и не может продолжить работу. Возможно, его изменил вирус "
    "или загрузка не была завершена.\r\n\r\n"
    "Удалите эту копию, загрузите установщик заново и запустите новую копию. Если это не "
    "поможет, проверьте компьютер на наличие вирусов.\r\n\r\n"
    "Код ошибки: %d",
    // 14: malformed destination path; the path follows.
    "Папка установки не является допустимым полным путем:",
    // 15: caption of the uninstall success box.
    "Удаление завершено",
    // 16: destination drive not present; %s = the drive letter.
    "Диск %s недоступен. Выберите другую папку.",
    // 17: destination is a drive root.
    "Выберите папку, а не корневой каталог диска.",
    // 18: destination is a Program Files folder itself; %s = the folder.
    "Программу <product> нельзя установить непосредственно в папку %s. Выберите вложенную "
    "папку.",
    // 19: too little disk space; %s = required space, %s = free space, %s = drive.
    "Возможно, на диске недостаточно свободного места для программы <product>.\r\n\r\n"
    "Требуется: %s\r\n"
    "Свободно: %s\r\n"
    "Диск: %s\r\n\r\n"
    "Все равно установить?",
    // 20: general caption of questions and warnings.
    "Установка программы <product>",
    // 21: caption of error boxes and of the must-uninstall page.
    "Ошибка установки программы <product>",
    // 22: destination exists; %s = the folder.
    "Программа <product> будет установлена в существующую папку\r\n"
    "%s",
    // 23: destination will be created; %s = the folder.
    "Папка\r\n"
    "%s\r\n"
    "будет создана для программы <product>.",
    // 24: caption of the destination page and its confirmation.
    "Папка установки",
    // 25: a folder could not be created (folder and reason follow).
    "Не удалось создать папку",
    // 26: progress text while shortcuts are made.
    "Создание ярлыков...",
    // 27: label of the password field.
    "Пароль:",
    // 28: question when Cancel is clicked on the progress page.
    "Вы действительно хотите прервать установку программы <product>?",
    // 29: status while payload data is unpacked.
    "Распаковка файлов...",
    // 30: destination folder name fails the name test.
    "Имя папки содержит недопустимые символы. Выберите другую папку.",
    // 31: a file could not be written (path and system error follow).
    "Не удалось записать файл",
    // 32: not used.
    "",
    // 33: name of the uninstall shortcut.
    "Удалить <product>",
    // 34: uninstall success text.
    "Программа <product> удалена с вашего компьютера.",
    // 35: caption of the shared-file removal question.
    "Удаление общего файла",
    // 36: status while the installation is finished.
    "Завершение установки...",
    // 37: restart question after installation.
    "Чтобы завершить установку программы <product>, необходимо перезагрузить компьютер. "
    "Перезагрузить сейчас?",
    // 38: default shortcut name; %s = the target's file name.
    "%s",
    // 39: progress page title while installing.
    "Установка программы <product>",
    // 40: failures occurred; %s = the log path.
    "Некоторые компоненты программы <product> установить не удалось. Подробные сведения "
    "см. в файле журнала\r\n"
    "%s\r\n\r\n"
    "Открыть журнал сейчас?",
    // 41: caption of that question.
    "Проблемы при установке",
    // 42: successful installation (finish box and summary page).
    "Программа <product> успешно установлена.",
    // 43: caption of the finish box and summary page; also the log's last line.
    "Установка завершена",
    // 44: licence page caption.
    "Лицензионное соглашение",
    // 45: licence page accept button.
    "&Принимаю",
    // 46: licence page decline button.
    "&Не принимаю",
    // 47: licence page text.
    "Внимательно прочтите следующее лицензионное соглашение:",
    // 48: Next button.
    "&Далее >",
    // 49: Cancel button.
    "Отмена",
    // 50: readme page caption.
    "Важные сведения",
    // 51: readme page text.
    "Прочтите следующие сведения:",
    // 52: Browse button.
    "&Обзор...",
    // 53: uninstall confirmation question.
    "Удалить программу <product> и все ее компоненты с этого компьютера?",
    // 54: progress caption and status while installing files.
    "Установка программы <product>...",
    // 55: caption of the uninstaller's boxes and progress page.
    "Удаление программы <product>",
    // 56: font removal question; %s = the font file.
    "Удалить шрифт %s?",
    // 57: caption of that question.
    "Удаление шрифта",
    // 58: a file could not be deleted (path and error follow).
    "Не удалось удалить файл",
    // 59: shared-file removal question; %s = the path.
    "Возможно, общий файл\r\n"
    "%s\r\n"
    "больше не используется ни одной программой. Удалить его?",
    // 60: not used.
    "",
    // 61: this Windows version is excluded; %s = the system's name.
    "Программу <product> нельзя установить в %s.",
    // 62: status while the payload is checked.
    "Проверка данных установки...",
    // 63: extra licence text per language; empty means none.
    "",
    // 64: extra readme text per language; empty means none.
    "",
    // 65: greeting caption and close-program question caption.
    "Установка программы <product>",
    // 66: destination on a network path is refused.
    "Выберите папку на локальном диске, а не в сети.",
    // 67: uninstall status: fonts.
    "Удаление шрифтов...",
    // 68: uninstall status: log file.
    "Удаление журнала установки...",
    // 69: uninstall status: registry.
    "Удаление записей реестра...",
    // 70: uninstall status: file associations.
    "Восстановление сопоставлений файлов...",
    // 71: progress page title while uninstalling.
    "Удаление программы <product>",
    // 72: upgrade confirmation question.
    "Будет обновлена более старая версия программы <product>. Продолжить?",
    // 73: destination is not writable; %s = the folder.
    "Не удается записать файлы в папку\r\n"
    "%s\r\n"
    "Выберите другую папку.",
    // 74: restart question after uninstallation.
    "Чтобы завершить удаление программы <product>, необходимо перезагрузить компьютер. "
    "Перезагрузить сейчас?",
    // 75: password page caption.
    "Пароль",
    // 76: password page text.
    "Эта установка защищена паролем.",
    // 77: progress text while registering; "<file>" is the item.
    "Регистрация <file>...",
    // 78: progress text while writing registry entries.
    "Запись параметров реестра...",
    // 79: Yes button.
    "&Да",
    // 80: No button.
    "&Нет",
    // 81: wrong bitness; %d = the product's bitness (32 or 64).
    "Это %d-разрядный выпуск программы <product>; его нельзя установить в этой системе.",
    // 82: language page text.
    "Выберите язык установки:",
    // 83: summary check box: open the first finish document.
    "Показать важные сведения",
    // 84: summary check box: start the program.
    "Запустить <product>",
    // 85: summary check box: open the log.
    "Показать журнал установки",
    // 86: name of the log shortcut.
    "Журнал установки <product>",
    // 87: summary check box: open the second finish document.
    "Посетить веб-сайт <product>",
    // 88: start-menu page text and browser prompt.
    "Выберите папку в меню «Пуск» для ярлыков программы <product>:",
    // 89: start-menu page caption.
    "Папка в меню «Пуск»",
    // 90: Install button on the last page before installing.
    "&Установить",
    // 91: another installer is running.
    "Уже выполняется другая установка. Дождитесь ее завершения.",
    // 92: label of the space required.
    "Требуется на диске:",
    // 93: label of the space free.
    "Доступно на диске:",
    // 94: language page caption.
    "Язык",
    // 95: Finish button.
    "&Готово",
    // 96: drive refused; %s = the drive letter.
    "Диск %s нельзя использовать для этой установки. Выберите другой диск.",
    // 97: status while a restore point is made.
    "Создание точки восстановления системы...",
    // 98: installation cancelled.
    "Установка программы <product> отменена.",
    // 99: a program must be closed; %s = the program's name.
    "Программа %s все еще работает. Закройте ее и нажмите кнопку «Повторить».",
    // 100: Retry button.
    "&Повторить",
    // 101: uninstallation cancelled.
    "Удаление программы <product> отменено.",
    // 102: wrong password.
    "Неверный пароль. Повторите попытку.",
    // 103: greeting subheading of the banner variant.
    "Добро пожаловать",
    // 104: Uninstall button.
    "&Удалить",
    // 105: greeting link; the first "<a>" becomes the link.
    "<a>Подробнее о программе <product></a>",
    // 106: downgrade refused; %s = the lowest version allowed.
    "Установлена более новая версия программы <product>; версии ниже %s не могут ее "
    "заменить.",
    // 107: uninstall: a program must be closed; %s = the program's name.
    "Программа %s все еще работает. Закройте ее и нажмите кнопку «Повторить».",
    // 108: uninstall status: installer packages.
    "Удаление пакетов установщика...",
    // 109: support offer text.
    "Возникли проблемы с программой <product>? Прежде чем удалять ее, обратитесь в нашу "
    "службу поддержки: возможно, мы сможем помочь.",
    // 110: support offer button and caption.
    "Получить поддержку",
    // 111: caption of the cancel notice.
    "Отменено",
    // 112: required product too old; %s = the version needed, %s = its name.
    "Для программы <product> требуется версия %s или более поздняя следующего компонента: "
    "%s.",
    // 113: status before the installation folders are made.
    "Подготовка к установке...",
};

}  // namespace ks::builder
