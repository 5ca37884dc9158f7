// The builder's default Japanese texts (ja) for every message number, in the
// order and with the placeholders of the English table.
// Polite form; accelerators as "(&N)" after the label; half-width ":" and "?".
#include "languages/message_tables.h"

namespace ks::builder {

constexpr std::array<std::string_view, kMessageCount> kJapaneseMessages = {
    // 0: main window's fallback title after a language change.
    "<product>",
    // 1: greeting page text.
    "ようこそ。このウィザードは <description> をコンピューターにインストールします。\r\n\r\n"
    "続行するには [次へ] を、インストールせずに終了するには [キャンセル] "
    "をクリックしてください。",
    // 2: caption of the question about an earlier installation.
    "以前のインストールが見つかりました",
    // 3: earlier installation, versions not compared; the folder follows.
    "<product> は既にこのフォルダーにインストールされています:",
    // 4: the same version is installed; the folder follows.
    "このバージョンの <product> は既にこのフォルダーにインストールされています:",
    // 5: an older version is installed (upgrade); the folder follows.
    "このフォルダーには <product> の古いバージョンがインストールされています:",
    // 6: a newer version is installed (downgrade); the folder follows.
    "このフォルダーには <product> の新しいバージョンがインストールされています:",
    // 7: closes the earlier-installation question.
    "インストールを続行しますか?",
    // 8: status while the payload is being opened.
    "<product> のファイルを準備しています...",
    // 9: an earlier version must be removed first (error box and page text).
    "このバージョンをインストールする前に、以前のバージョンの <product> "
    "を削除する必要があります。",
    // 10: uninstall finished with failures; %s = the failure summary.
    "<product> は削除されましたが、一部の項目は削除できませんでした:\r\n\r\n"
    "%s",
    // 11: destination page text and folder-browser prompt.
    "<product> のインストール先フォルダーを選択してください:",
    // 12: required product missing; %s = its name.
    "<product> には %s が必要ですが、このコンピューターにはインストールされていません。",
    // 13: corrupt installer; %d = error code.
    "このインストーラーは破損しているため、続行できません。ダウンロードが完了しなかったか、"
    "ウイルスによって変更された可能性があります。\r\n\r\n"
    "このコピーを削除し、インストーラーをもう一度ダウンロードして、"
    "新しいコピーを実行してください。それでも解決しない場合は、"
    "コンピューターにウイルスがないか確認してください。\r\n\r\n"
    "エラー コード: %d",
    // 14: malformed destination path; the path follows.
    "インストール先フォルダーが有効な完全パスではありません:",
    // 15: caption of the uninstall success box.
    "削除の完了",
    // 16: destination drive not present; %s = the drive letter.
    "ドライブ %s は使用できません。別のフォルダーを選択してください。",
    // 17: destination is a drive root.
    "ドライブのルートではなく、フォルダーを選択してください。",
    // 18: destination is a Program Files folder itself; %s = the folder.
    "<product> を %s に直接インストールすることはできません。"
    "サブフォルダーを選択してください。",
    // 19: too little disk space; %s = required space, %s = free space, %s = drive.
    "<product> に必要なディスクの空き領域が不足している可能性があります。\r\n\r\n"
    "必要な領域: %s\r\n"
    "空き領域: %s\r\n"
    "ドライブ: %s\r\n\r\n"
    "このままインストールしますか?",
    // 20: general caption of questions and warnings.
    "<product> セットアップ",
    // 21: caption of error boxes and of the must-uninstall page.
    "<product> セットアップ エラー",
    // 22: destination exists; %s = the folder.
    "<product> は既存の次のフォルダーにインストールされます:\r\n"
    "%s",
    // 23: destination will be created; %s = the folder.
    "フォルダー\r\n"
    "%s\r\n"
    "を <product> 用に作成します。",
    // 24: caption of the destination page and its confirmation.
    "インストール先フォルダー",
    // 25: a folder could not be created (folder and reason follow).
    "フォルダーを作成できませんでした:",
    // 26: progress text while shortcuts are made.
    "ショートカットを作成しています...",
    // 27: label of the password field.
    "パスワード:",
    // 28: question when Cancel is clicked on the progress page.
    "<product> のインストールを中止しますか?",
    // 29: status while payload data is unpacked.
    "ファイルを展開しています...",
    // 30: destination folder name fails the name test.
    "フォルダー名に使用できない文字が含まれています。別のフォルダーを選択してください。",
    // 31: a file could not be written (path and system error follow).
    "ファイルを書き込めませんでした:",
    // 32: not used.
    "",
    // 33: name of the uninstall shortcut.
    "<product> のアンインストール",
    // 34: uninstall success text.
    "<product> はコンピューターから削除されました。",
    // 35: caption of the shared-file removal question.
    "共有ファイルの削除",
    // 36: status while the installation is finished.
    "インストールを完了しています...",
    // 37: restart question after installation.
    "<product> のインストールを完了するには、コンピューターを再起動する必要があります。"
    "今すぐ再起動しますか?",
    // 38: default shortcut name; %s = the target's file name.
    "%s",
    // 39: progress page title while installing.
    "<product> をインストールしています",
    // 40: failures occurred; %s = the log path.
    "<product> の一部をインストールできませんでした。詳細は次のログ "
    "ファイルに記録されています:\r\n"
    "%s\r\n\r\n"
    "今すぐログを表示しますか?",
    // 41: caption of that question.
    "インストールの問題",
    // 42: successful installation (finish box and summary page).
    "<product> は正常にインストールされました。",
    // 43: caption of the finish box and summary page; also the log's last line.
    "インストールの完了",
    // 44: licence page caption.
    "使用許諾契約",
    // 45: licence page accept button.
    "同意する(&A)",
    // 46: licence page decline button.
    "同意しない(&D)",
    // 47: licence page text.
    "次の使用許諾契約をよくお読みください:",
    // 48: Next button.
    "次へ(&N) >",
    // 49: Cancel button.
    "キャンセル",
    // 50: readme page caption.
    "Readme",
    // 51: readme page text.
    "次の情報をお読みください:",
    // 52: Browse button.
    "参照(&R)...",
    // 53: uninstall confirmation question.
    "<product> とそのすべてのコンポーネントをこのコンピューターから削除しますか?",
    // 54: progress caption and status while installing files.
    "<product> をインストールしています...",
    // 55: caption of the uninstaller's boxes and progress page.
    "<product> の削除",
    // 56: font removal question; %s = the font file.
    "フォント %s を削除しますか?",
    // 57: caption of that question.
    "フォントの削除",
    // 58: a file could not be deleted (path and error follow).
    "ファイルを削除できませんでした:",
    // 59: shared-file removal question; %s = the path.
    "共有ファイル\r\n"
    "%s\r\n"
    "は、どのプログラムでも使用されていない可能性があります。削除しますか?",
    // 60: not used.
    "",
    // 61: this Windows version is excluded; %s = the system's name.
    "<product> は %s にはインストールできません。",
    // 62: status while the payload is checked.
    "インストール データを確認しています...",
    // 63: extra licence text per language; empty means none.
    "",
    // 64: extra readme text per language; empty means none.
    "",
    // 65: greeting caption and close-program question caption.
    "<product> セットアップ",
    // 66: destination on a network path is refused.
    "ネットワーク上ではなく、ローカル ドライブ上のフォルダーを選択してください。",
    // 67: uninstall status: fonts.
    "フォントを削除しています...",
    // 68: uninstall status: log file.
    "インストール ログを削除しています...",
    // 69: uninstall status: registry.
    "レジストリ エントリを削除しています...",
    // 70: uninstall status: file associations.
    "ファイルの関連付けを復元しています...",
    // 71: progress page title while uninstalling.
    "<product> を削除しています",
    // 72: upgrade confirmation question.
    "<product> の古いバージョンをアップグレードします。続行しますか?",
    // 73: destination is not writable; %s = the folder.
    "フォルダー\r\n"
    "%s\r\n"
    "にファイルを書き込めません。別のフォルダーを選択してください。",
    // 74: restart question after uninstallation.
    "<product> の削除を完了するには、コンピューターを再起動する必要があります。"
    "今すぐ再起動しますか?",
    // 75: password page caption.
    "パスワード",
    // 76: password page text.
    "このインストールはパスワードで保護されています。",
    // 77: progress text while registering; "<file>" is the item.
    "<file> を登録しています...",
    // 78: progress text while writing registry entries.
    "レジストリ エントリを書き込んでいます...",
    // 79: Yes button.
    "はい(&Y)",
    // 80: No button.
    "いいえ(&N)",
    // 81: wrong bitness; %d = the product's bitness (32 or 64).
    "これは <product> の %d ビット版です。このシステムにはインストールできません。",
    // 82: language page text.
    "インストールに使用する言語を選択してください:",
    // 83: summary check box: open the first finish document.
    "Readme ファイルを表示する",
    // 84: summary check box: start the program.
    "<product> を今すぐ起動する",
    // 85: summary check box: open the log.
    "インストール ログを表示する",
    // 86: name of the log shortcut.
    "<product> インストール ログ",
    // 87: summary check box: open the second finish document.
    "<product> の Web ページにアクセスする",
    // 88: start-menu page text and browser prompt.
    "<product> のショートカットを作成するスタート メニュー フォルダーを選択してください:",
    // 89: start-menu page caption.
    "スタート メニュー フォルダー",
    // 90: Install button on the last page before installing.
    "インストール(&I)",
    // 91: another installer is running.
    "別のインストールが既に実行中です。完了するまでお待ちください。",
    // 92: label of the space required.
    "必要な領域:",
    // 93: label of the space free.
    "空き領域:",
    // 94: language page caption.
    "言語",
    // 95: Finish button.
    "完了(&F)",
    // 96: drive refused; %s = the drive letter.
    "ドライブ %s はこのインストールには使用できません。別のドライブを選択してください。",
    // 97: status while a restore point is made.
    "システムの復元ポイントを作成しています...",
    // 98: installation cancelled.
    "<product> のインストールは取り消されました。",
    // 99: a program must be closed; %s = the program's name.
    "%s が実行中です。終了してから [再試行] をクリックしてください。",
    // 100: Retry button.
    "再試行(&R)",
    // 101: uninstallation cancelled.
    "<product> の削除は取り消されました。",
    // 102: wrong password.
    "パスワードが正しくありません。もう一度入力してください。",
    // 103: greeting subheading of the banner variant.
    "ようこそ",
    // 104: Uninstall button.
    "アンインストール(&U)",
    // 105: greeting link; the first "<a>" becomes the link.
    "<a><product> の詳細</a>",
    // 106: downgrade refused; %s = the lowest version allowed.
    "<product> の新しいバージョンがインストールされています。%s "
    "より前のバージョンで置き換えることはできません。",
    // 107: uninstall: a program must be closed; %s = the program's name.
    "%s が実行中です。終了してから [再試行] をクリックしてください。",
    // 108: uninstall status: installer packages.
    "インストーラー パッケージを削除しています...",
    // 109: support offer text.
    "<product> で問題が発生していますか? 削除する前に、サポート "
    "チームがお手伝いできる場合があります。",
    // 110: support offer button and caption.
    "サポートを受ける",
    // 111: caption of the cancel notice.
    "キャンセルされました",
    // 112: required product too old; %s = the version needed, %s = its name.
    "<product> を使用するには、バージョン %s 以降の %s が必要です。",
    // 113: status before the installation folders are made.
    "インストールを準備しています...",
};

}  // namespace ks::builder
