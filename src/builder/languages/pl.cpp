// The builder's default Polish texts (pl) for every message number, in the
// order and with the placeholders of the English table.
// Informal address as in the system dialogs; "program <product>" keeps the name undeclined.
#include "languages/message_tables.h"

namespace ks::builder {

constexpr std::array<std::string_view, kMessageCount> kPolishMessages = {
    // 0: main window's fallback title after a language change.
    "<product>",
    // 1: greeting page text.
    "Witamy! Ten kreator zainstaluje <description> na tym komputerze.\r\n\r\n"
    "Kliknij przycisk Dalej, aby kontynuować, lub przycisk Anuluj, aby zakończyć bez "
    "instalowania.",
    // 2: caption of the question about an earlier installation.
    "Znaleziono wcześniejszą instalację",
    // 3: earlier installation, versions not compared; the folder follows.
    "Program <product> jest już zainstalowany w tym folderze:",
    // 4: the same version is installed; the folder follows.
    "Ta wersja programu <product> jest już zainstalowana w tym folderze:",
    // 5: an older version is installed (upgrade); the folder follows.
    "W tym folderze jest zainstalowana starsza wersja programu <product>:",
    // 6: a newer version is installed (downgrade); the folder follows.
    "W tym folderze jest zainstalowana nowsza wersja programu <product>:",
    // 7: closes the earlier-installation question.
    "Czy chcesz kontynuować instalację?",
    // 8: status while the payload is being opened.
    "Przygotowywanie plików programu <product>...",
    // 9: an earlier version must be removed first (error box and page text).
    "Przed zainstalowaniem tej wersji należy usunąć wcześniejszą wersję programu <product>.",
    // 10: uninstall finished with failures; %s = the failure summary.
    "Program <product> został usunięty, ale niektórych elementów nie udało się usunąć:\r\n\r\n"
    "%s",
    // 11: destination page text and folder-browser prompt.
    "Wybierz folder, w którym zostanie zainstalowany program <product>:",
    // 12: required product missing; %s = its name.
    "Program <product> wymaga składnika %s, który nie jest zainstalowany na tym komputerze.",
    // 13: corrupt installer; %d = error code.
    "Ten instalator jest uszkodzony i nie może kontynuować. Mógł zostać zmieniony przez "
    "niedokończone pobieranie lub wirusa.\r\n\r\n"
    "Usuń tę kopię, pobierz instalator ponownie i uruchom nową kopię. Jeśli to nie pomoże, "
    "sprawdź komputer pod kątem wirusów.\r\n\r\n"
    "Kod błędu: %d",
    // 14: malformed destination path; the path follows.
    "Folder instalacji nie jest prawidłową pełną ścieżką:",
    // 15: caption of the uninstall success box.
    "Usuwanie zakończone",
    // 16: destination drive not present; %s = the drive letter.
    "Dysk %s jest niedostępny. Wybierz inny folder.",
    // 17: destination is a drive root.
    "Wybierz folder, a nie katalog główny dysku.",
    // 18: destination is a Program Files folder itself; %s = the folder.
    "Nie można zainstalować programu <product> bezpośrednio w folderze %s. Wybierz "
    "podfolder.",
    // 19: too little disk space; %s = required space, %s = free space, %s = drive.
    "Na dysku może brakować wolnego miejsca dla programu <product>.\r\n\r\n"
    "Potrzebne: %s\r\n"
    "Wolne: %s\r\n"
    "Dysk: %s\r\n\r\n"
    "Czy mimo to chcesz kontynuować instalację?",
    // 20: general caption of questions and warnings.
    "Instalator programu <product>",
    // 21: caption of error boxes and of the must-uninstall page.
    "Błąd instalatora programu <product>",
    // 22: destination exists; %s = the folder.
    "Program <product> zostanie zainstalowany w istniejącym folderze\r\n"
    "%s",
    // 23: destination will be created; %s = the folder.
    "Folder\r\n"
    "%s\r\n"
    "zostanie utworzony dla programu <product>.",
    // 24: caption of the destination page and its confirmation.
    "Folder instalacji",
    // 25: a folder could not be created (folder and reason follow).
    "Nie można utworzyć folderu",
    // 26: progress text while shortcuts are made.
    "Tworzenie skrótów...",
    // 27: label of the password field.
    "Hasło:",
    // 28: question when Cancel is clicked on the progress page.
    "Czy na pewno chcesz przerwać instalację programu <product>?",
    // 29: status while payload data is unpacked.
    "Rozpakowywanie plików...",
    // 30: destination folder name fails the name test.
    "Nazwa folderu zawiera niedozwolone znaki. Wybierz inny folder.",
    // 31: a file could not be written (path and system error follow).
    "Nie można zapisać pliku",
    // 32: not used.
    "",
    // 33: name of the uninstall shortcut.
    "Odinstaluj <product>",
    // 34: uninstall success text.
    "Program <product> został usunięty z komputera.",
    // 35: caption of the shared-file removal question.
    "Usuń plik udostępniony",
    // 36: status while the installation is finished.
    "Kończenie instalacji...",
    // 37: restart question after installation.
    "Aby zakończyć instalację programu <product>, należy ponownie uruchomić komputer. "
    "Uruchomić ponownie teraz?",
    // 38: default shortcut name; %s = the target's file name.
    "%s",
    // 39: progress page title while installing.
    "Instalowanie programu <product>",
    // 40: failures occurred; %s = the log path.
    "Nie udało się zainstalować niektórych części programu <product>. Szczegóły znajdują "
    "się w pliku dziennika\r\n"
    "%s\r\n\r\n"
    "Czy chcesz teraz wyświetlić dziennik?",
    // 41: caption of that question.
    "Problemy z instalacją",
    // 42: successful installation (finish box and summary page).
    "Program <product> został pomyślnie zainstalowany.",
    // 43: caption of the finish box and summary page; also the log's last line.
    "Instalacja zakończona",
    // 44: licence page caption.
    "Umowa licencyjna",
    // 45: licence page accept button.
    "&Akceptuję",
    // 46: licence page decline button.
    "&Nie akceptuję",
    // 47: licence page text.
    "Przeczytaj uważnie poniższą umowę licencyjną:",
    // 48: Next button.
    "&Dalej >",
    // 49: Cancel button.
    "Anuluj",
    // 50: readme page caption.
    "Plik Readme",
    // 51: readme page text.
    "Przeczytaj poniższe informacje:",
    // 52: Browse button.
    "&Przeglądaj...",
    // 53: uninstall confirmation question.
    "Czy chcesz usunąć program <product> i wszystkie jego składniki z tego komputera?",
    // 54: progress caption and status while installing files.
    "Instalowanie programu <product>...",
    // 55: caption of the uninstaller's boxes and progress page.
    "Usuń program <product>",
    // 56: font removal question; %s = the font file.
    "Usunąć czcionkę %s?",
    // 57: caption of that question.
    "Usuń czcionkę",
    // 58: a file could not be deleted (path and error follow).
    "Nie można usunąć pliku",
    // 59: shared-file removal question; %s = the path.
    "Plik udostępniony\r\n"
    "%s\r\n"
    "może nie być już potrzebny żadnemu programowi. Usunąć go?",
    // 60: not used.
    "",
    // 61: this Windows version is excluded; %s = the system's name.
    "Programu <product> nie można zainstalować w systemie %s.",
    // 62: status while the payload is checked.
    "Sprawdzanie danych instalacji...",
    // 63: extra licence text per language; empty means none.
    "",
    // 64: extra readme text per language; empty means none.
    "",
    // 65: greeting caption and close-program question caption.
    "Instalator programu <product>",
    // 66: destination on a network path is refused.
    "Wybierz folder na dysku lokalnym, a nie w sieci.",
    // 67: uninstall status: fonts.
    "Usuwanie czcionek...",
    // 68: uninstall status: log file.
    "Usuwanie dziennika instalacji...",
    // 69: uninstall status: registry.
    "Usuwanie wpisów rejestru...",
    // 70: uninstall status: file associations.
    "Przywracanie skojarzeń plików...",
    // 71: progress page title while uninstalling.
    "Usuwanie programu <product>",
    // 72: upgrade confirmation question.
    "Zostanie uaktualniona starsza wersja programu <product>. Czy chcesz kontynuować?",
    // 73: destination is not writable; %s = the folder.
    "Nie można zapisywać plików w folderze\r\n"
    "%s\r\n"
    "Wybierz inny folder.",
    // 74: restart question after uninstallation.
    "Aby zakończyć usuwanie programu <product>, należy ponownie uruchomić komputer. "
    "Uruchomić ponownie teraz?",
    // 75: password page caption.
    "Hasło",
    // 76: password page text.
    "Ta instalacja jest chroniona hasłem.",
    // 77: progress text while registering; "<file>" is the item.
    "Rejestrowanie <file>...",
    // 78: progress text while writing registry entries.
    "Zapisywanie wpisów rejestru...",
    // 79: Yes button.
    "&Tak",
    // 80: No button.
    "&Nie",
    // 81: wrong bitness; %d = the product's bitness (32 or 64).
    "To jest %d-bitowa wersja programu <product>; nie można jej zainstalować w tym "
    "systemie.",
    // 82: language page text.
    "Wybierz język instalacji:",
    // 83: summary check box: open the first finish document.
    "Pokaż plik Readme",
    // 84: summary check box: start the program.
    "Uruchom teraz program <product>",
    // 85: summary check box: open the log.
    "Pokaż dziennik instalacji",
    // 86: name of the log shortcut.
    "Dziennik instalacji programu <product>",
    // 87: summary check box: open the second finish document.
    "Odwiedź witrynę programu <product>",
    // 88: start-menu page text and browser prompt.
    "Wybierz folder menu Start dla skrótów programu <product>:",
    // 89: start-menu page caption.
    "Folder menu Start",
    // 90: Install button on the last page before installing.
    "&Zainstaluj",
    // 91: another installer is running.
    "Trwa już inna instalacja. Poczekaj, aż się zakończy.",
    // 92: label of the space required.
    "Wymagane miejsce:",
    // 93: label of the space free.
    "Wolne miejsce:",
    // 94: language page caption.
    "Język",
    // 95: Finish button.
    "&Zakończ",
    // 96: drive refused; %s = the drive letter.
    "Dysku %s nie można użyć do tej instalacji. Wybierz inny dysk.",
    // 97: status while a restore point is made.
    "Tworzenie punktu przywracania systemu...",
    // 98: installation cancelled.
    "Instalacja programu <product> została anulowana.",
    // 99: a program must be closed; %s = the program's name.
    "Program %s jest nadal uruchomiony. Zamknij go i kliknij przycisk Ponów próbę.",
    // 100: Retry button.
    "&Ponów próbę",
    // 101: uninstallation cancelled.
    "Usuwanie programu <product> zostało anulowane.",
    // 102: wrong password.
    "Hasło jest nieprawidłowe. Spróbuj ponownie.",
    // 103: greeting subheading of the banner variant.
    "Witamy",
    // 104: Uninstall button.
    "&Odinstaluj",
    // 105: greeting link; the first "<a>" becomes the link.
    "<a>Więcej o programie <product></a>",
    // 106: downgrade refused; %s = the lowest version allowed.
    "Zainstalowana jest nowsza wersja programu <product>; wersje starsze niż %s nie mogą "
    "jej zastąpić.",
    // 107: uninstall: a program must be closed; %s = the program's name.
    "Program %s jest nadal uruchomiony. Zamknij go i kliknij przycisk Ponów próbę.",
    // 108: uninstall status: installer packages.
    "Usuwanie pakietów instalatora...",
    // 109: support offer text.
    "Masz problemy z programem <product>? Zanim go usuniesz, skontaktuj się z naszym "
    "zespołem pomocy technicznej — być może uda nam się pomóc.",
    // 110: support offer button and caption.
    "Uzyskaj pomoc",
    // 111: caption of the cancel notice.
    "Anulowano",
    // 112: required product too old; %s = the version needed, %s = its name.
    "Program <product> wymaga wersji %s lub nowszej składnika %s.",
    // 113: status before the installation folders are made.
    "Przygotowywanie instalacji...",
};

}  // namespace ks::builder
