// The builder's default Simplified Chinese texts (zh-CN) for every message number, in the
// order and with the placeholders of the English table.
// Full-width punctuation; accelerators as "(&N)" after the label.
#include "languages/message_tables.h"

namespace ks::builder {

constexpr std::array<std::string_view, kMessageCount> kSimplifiedChineseMessages = {
    // 0: main window's fallback title after a language change.
    "<product>",
    // 1: greeting page text.
    "欢迎！此向导将在您的计算机上安装 <description>。\r\n\r\n"
    "单击“下一步”继续，或单击“取消”退出而不安装。",
    // 2: caption of the question about an earlier installation.
    "检测到以前的安装",
    // 3: earlier installation, versions not compared; the folder follows.
    "<product> 已安装在此文件夹中：",
    // 4: the same version is installed; the folder follows.
    "此版本的 <product> 已安装在此文件夹中：",
    // 5: an older version is installed (upgrade); the folder follows.
    "此文件夹中安装了较旧版本的 <product>：",
    // 6: a newer version is installed (downgrade); the folder follows.
    "此文件夹中安装了较新版本的 <product>：",
    // 7: closes the earlier-installation question.
    "是否继续安装？",
    // 8: status while the payload is being opened.
    "正在准备 <product> 的文件...",
    // 9: an earlier version must be removed first (error box and page text).
    "必须先删除 <product> 的早期版本，才能安装此版本。",
    // 10: uninstall finished with failures; %s = the failure summary.
    "<product> 已删除，但某些项目无法删除：\r\n\r\n"
    "%s",
    // 11: destination page text and folder-browser prompt.
    "请选择 <product> 的安装文件夹：",
    // 12: required product missing; %s = its name.
    "<product> 需要 %s，但此计算机上未安装它。",
    // 13: corrupt installer; %d = error code.
    "此安装程序已损坏，无法继续。未完成的下载或病毒可能已更改该程序。\r\n\r\n"
    "请删除此副本，重新下载安装程序并运行新副本。如果问题仍然存在，"
    "请检查计算机是否感染病毒。\r\n\r\n"
    "错误代码：%d",
    // 14: malformed destination path; the path follows.
    "安装文件夹不是有效的完整路径：",
    // 15: caption of the uninstall success box.
    "删除完成",
    // 16: destination drive not present; %s = the drive letter.
    "驱动器 %s 不可用。请选择其他文件夹。",
    // 17: destination is a drive root.
    "请选择一个文件夹，而不是驱动器的根目录。",
    // 18: destination is a Program Files folder itself; %s = the folder.
    "无法将 <product> 直接安装到 %s 中。请选择一个子文件夹。",
    // 19: too little disk space; %s = required space, %s = free space, %s = drive.
    "磁盘可用空间可能不足以安装 <product>。\r\n\r\n"
    "所需空间：%s\r\n"
    "可用空间：%s\r\n"
    "驱动器：%s\r\n\r\n"
    "是否仍要安装？",
    // 20: general caption of questions and warnings.
    "<product> 安装程序",
    // 21: caption of error boxes and of the must-uninstall page.
    "<product> 安装程序错误",
    // 22: destination exists; %s = the folder.
    "<product> 将安装到现有文件夹\r\n"
    "%s",
    // 23: destination will be created; %s = the folder.
    "将创建文件夹\r\n"
    "%s\r\n"
    "用于安装 <product>。",
    // 24: caption of the destination page and its confirmation.
    "安装文件夹",
    // 25: a folder could not be created (folder and reason follow).
    "无法创建文件夹：",
    // 26: progress text while shortcuts are made.
    "正在创建快捷方式...",
    // 27: label of the password field.
    "密码：",
    // 28: question when Cancel is clicked on the progress page.
    "确实要停止安装 <product> 吗？",
    // 29: status while payload data is unpacked.
    "正在解压缩文件...",
    // 30: destination folder name fails the name test.
    "文件夹名称包含不能使用的字符。请选择其他文件夹。",
    // 31: a file could not be written (path and system error follow).
    "无法写入文件：",
    // 32: not used.
    "",
    // 33: name of the uninstall shortcut.
    "卸载 <product>",
    // 34: uninstall success text.
    "已从您的计算机中删除 <product>。",
    // 35: caption of the shared-file removal question.
    "删除共享文件",
    // 36: status while the installation is finished.
    "正在完成安装...",
    // 37: restart question after installation.
    "必须重新启动计算机才能完成 <product> 的安装。是否立即重新启动？",
    // 38: default shortcut name; %s = the target's file name.
    "%s",
    // 39: progress page title while installing.
    "正在安装 <product>",
    // 40: failures occurred; %s = the log path.
    "<product> 的某些部分无法安装。详细信息请参阅日志文件\r\n"
    "%s\r\n\r\n"
    "是否立即查看日志？",
    // 41: caption of that question.
    "安装问题",
    // 42: successful installation (finish box and summary page).
    "已成功安装 <product>。",
    // 43: caption of the finish box and summary page; also the log's last line.
    "安装完成",
    // 44: licence page caption.
    "许可协议",
    // 45: licence page accept button.
    "我接受(&A)",
    // 46: licence page decline button.
    "我不接受(&D)",
    // 47: licence page text.
    "请仔细阅读以下许可协议：",
    // 48: Next button.
    "下一步(&N) >",
    // 49: Cancel button.
    "取消",
    // 50: readme page caption.
    "自述文件",
    // 51: readme page text.
    "请阅读以下信息：",
    // 52: Browse button.
    "浏览(&B)...",
    // 53: uninstall confirmation question.
    "是否要从此计算机中删除 <product> 及其所有组件？",
    // 54: progress caption and status while installing files.
    "正在安装 <product>...",
    // 55: caption of the uninstaller's boxes and progress page.
    "删除 <product>",
    // 56: font removal question; %s = the font file.
    "是否删除字体 %s？",
    // 57: caption of that question.
    "删除字体",
    // 58: a file could not be deleted (path and error follow).
    "无法删除文件：",
    // 59: shared-file removal question; %s = the path.
    "共享文件\r\n"
    "%s\r\n"
    "可能已不再被任何程序使用。是否删除？",
    // 60: not used.
    "",
    // 61: this Windows version is excluded; %s = the system's name.
    "无法在 %s 上安装 <product>。",
    // 62: status while the payload is checked.
    "正在检查安装数据...",
    // 63: extra licence text per language; empty means none.
    "",
    // 64: extra readme text per language; empty means none.
    "",
    // 65: greeting caption and close-program question caption.
    "<product> 安装程序",
    // 66: destination on a network path is refused.
    "请选择本地驱动器上的文件夹，而不是网络上的文件夹。",
    // 67: uninstall status: fonts.
    "正在删除字体...",
    // 68: uninstall status: log file.
    "正在删除安装日志...",
    // 69: uninstall status: registry.
    "正在删除注册表项...",
    // 70: uninstall status: file associations.
    "正在还原文件关联...",
    // 71: progress page title while uninstalling.
    "正在删除 <product>",
    // 72: upgrade confirmation question.
    "这将升级 <product> 的较旧版本。是否继续？",
    // 73: destination is not writable; %s = the folder.
    "无法将文件写入\r\n"
    "%s\r\n"
    "请选择其他文件夹。",
    // 74: restart question after uninstallation.
    "必须重新启动计算机才能完成 <product> 的删除。是否立即重新启动？",
    // 75: password page caption.
    "密码",
    // 76: password page text.
    "此安装受密码保护。",
    // 77: progress text while registering; "<file>" is the item.
    "正在注册 <file>...",
    // 78: progress text while writing registry entries.
    "正在写入注册表项...",
    // 79: Yes button.
    "是(&Y)",
    // 80: No button.
    "否(&N)",
    // 81: wrong bitness; %d = the product's bitness (32 or 64).
    "这是 <product> 的 %d 位版本，无法在此系统上安装。",
    // 82: language page text.
    "请选择安装语言：",
    // 83: summary check box: open the first finish document.
    "显示自述文件",
    // 84: summary check box: start the program.
    "立即启动 <product>",
    // 85: summary check box: open the log.
    "显示安装日志",
    // 86: name of the log shortcut.
    "<product> 安装日志",
    // 87: summary check box: open the second finish document.
    "访问 <product> 网页",
    // 88: start-menu page text and browser prompt.
    "请为 <product> 的快捷方式选择“开始”菜单文件夹：",
    // 89: start-menu page caption.
    "“开始”菜单文件夹",
    // 90: Install button on the last page before installing.
    "安装(&I)",
    // 91: another installer is running.
    "另一个安装程序正在运行。请等待其完成。",
    // 92: label of the space required.
    "所需空间：",
    // 93: label of the space free.
    "可用空间：",
    // 94: language page caption.
    "语言",
    // 95: Finish button.
    "完成(&F)",
    // 96: drive refused; %s = the drive letter.
    "驱动器 %s 不能用于此安装。请选择其他驱动器。",
    // 97: status while a restore point is made.
    "正在创建系统还原点...",
    // 98: installation cancelled.
    "<product> 的安装已取消。",
    // 99: a program must be closed; %s = the program's name.
    "%s 仍在运行。请关闭它，然后单击“重试”。",
    // 100: Retry button.
    "重试(&R)",
    // 101: uninstallation cancelled.
    "<product> 的删除已取消。",
    // 102: wrong password.
    "密码不正确。请重试。",
    // 103: greeting subheading of the banner variant.
    "欢迎",
    // 104: Uninstall button.
    "卸载(&U)",
    // 105: greeting link; the first "<a>" becomes the link.
    "<a>详细了解 <product></a>",
    // 106: downgrade refused; %s = the lowest version allowed.
    "已安装较新版本的 <product>；低于 %s 的版本无法替换它。",
    // 107: uninstall: a program must be closed; %s = the program's name.
    "%s 仍在运行。请关闭它，然后单击“重试”。",
    // 108: uninstall status: installer packages.
    "正在删除安装程序包...",
    // 109: support offer text.
    "使用 <product> 时遇到问题？在删除之前，我们的支持团队或许可以为您提供帮助。",
    // 110: support offer button and caption.
    "获取支持",
    // 111: caption of the cancel notice.
    "已取消",
    // 112: required product too old; %s = the version needed, %s = its name.
    "<product> 需要 %s 或更高版本的 %s。",
    // 113: status before the installation folders are made.
    "正在准备安装...",
};

}  // namespace ks::builder
