// The builder's default Brazilian Portuguese texts (pt-BR) for every message number, in the
// order and with the placeholders of the English table.
// Address with "você"; product names without article.
#include "languages/message_tables.h"

namespace ks::builder {

constexpr std::array<std::string_view, kMessageCount> kBrazilianPortugueseMessages = {
    // 0: main window's fallback title after a language change.
    "<product>",
    // 1: greeting page text.
    "Bem-vindo! Este assistente instalará <description> no seu computador.\r\n\r\n"
    "Clique em Avançar para continuar ou em Cancelar para sair sem instalar.",
    // 2: caption of the question about an earlier installation.
    "Instalação anterior encontrada",
    // 3: earlier installation, versions not compared; the folder follows.
    "<product> já está instalado nesta pasta:",
    // 4: the same version is installed; the folder follows.
    "Esta versão de <product> já está instalada nesta pasta:",
    // 5: an older version is installed (upgrade); the folder follows.
    "Uma versão mais antiga de <product> está instalada nesta pasta:",
    // 6: a newer version is installed (downgrade); the folder follows.
    "Uma versão mais recente de <product> está instalada nesta pasta:",
    // 7: closes the earlier-installation question.
    "Deseja continuar com a instalação?",
    // 8: status while the payload is being opened.
    "Preparando os arquivos de <product>...",
    // 9: an earlier version must be removed first (error box and page text).
    "Uma versão anterior de <product> precisa ser removida antes que esta versão possa ser "
    "instalada.",
    // 10: uninstall finished with failures; %s = the failure summary.
    "<product> foi removido, mas alguns itens não puderam ser removidos:\r\n\r\n"
    "%s",
    // 11: destination page text and folder-browser prompt.
    "Escolha a pasta em que <product> será instalado:",
    // 12: required product missing; %s = its name.
    "<product> requer %s, que não está instalado neste computador.",
    // 13: corrupt installer; %d = error code.
    "Este instalador está danificado e não pode continuar. Um download incompleto ou um "
    "vírus pode tê-lo alterado.\r\n\r\n"
    "Exclua esta cópia, baixe o instalador novamente e execute a nova cópia. Se isso não "
    "resolver, verifique se há vírus no computador.\r\n\r\n"
    "Código de erro: %d",
    // 14: malformed destination path; the path follows.
    "A pasta de instalação não é um caminho completo válido:",
    // 15: caption of the uninstall success box.
    "Remoção concluída",
    // 16: destination drive not present; %s = the drive letter.
    "A unidade %s não está disponível. Escolha outra pasta.",
    // 17: destination is a drive root.
    "Escolha uma pasta, não a raiz de uma unidade.",
    // 18: destination is a Program Files folder itself; %s = the folder.
    "<product> não pode ser instalado diretamente em %s. Escolha uma subpasta.",
    // 19: too little disk space; %s = required space, %s = free space, %s = drive.
    "Talvez não haja espaço livre em disco suficiente para <product>.\r\n\r\n"
    "Necessário: %s\r\n"
    "Disponível: %s\r\n"
    "Unidade: %s\r\n\r\n"
    "Deseja instalar mesmo assim?",
    // 20: general caption of questions and warnings.
    "Instalação de <product>",
    // 21: caption of error boxes and of the must-uninstall page.
    "Erro na instalação de <product>",
    // 22: destination exists; %s = the folder.
    "<product> será instalado na pasta existente\r\n"
    "%s",
    // 23: destination will be created; %s = the folder.
    "A pasta\r\n"
    "%s\r\n"
    "será criada para <product>.",
    // 24: caption of the destination page and its confirmation.
    "Pasta de instalação",
    // 25: a folder could not be created (folder and reason follow).
    "Não foi possível criar a pasta",
    // 26: progress text while shortcuts are made.
    "Criando atalhos...",
    // 27: label of the password field.
    "Senha:",
    // 28: question when Cancel is clicked on the progress page.
    "Deseja realmente interromper a instalação de <product>?",
    // 29: status while payload data is unpacked.
    "Descompactando arquivos...",
    // 30: destination folder name fails the name test.
    "O nome da pasta contém caracteres que não podem ser usados. Escolha outra pasta.",
    // 31: a file could not be written (path and system error follow).
    "Não foi possível gravar o arquivo",
    // 32: not used.
    "",
    // 33: name of the uninstall shortcut.
    "Desinstalar <product>",
    // 34: uninstall success text.
    "<product> foi removido do seu computador.",
    // 35: caption of the shared-file removal question.
    "Remover arquivo compartilhado",
    // 36: status while the installation is finished.
    "Concluindo a instalação...",
    // 37: restart question after installation.
    "É necessário reiniciar o computador para concluir a instalação de <product>. "
    "Reiniciar agora?",
    // 38: default shortcut name; %s = the target's file name.
    "%s",
    // 39: progress page title while installing.
    "Instalando <product>",
    // 40: failures occurred; %s = the log path.
    "Algumas partes de <product> não puderam ser instaladas. Os detalhes estão no arquivo "
    "de log\r\n"
    "%s\r\n\r\n"
    "Deseja ver o log agora?",
    // 41: caption of that question.
    "Problemas na instalação",
    // 42: successful installation (finish box and summary page).
    "<product> foi instalado com êxito.",
    // 43: caption of the finish box and summary page; also the log's last line.
    "Instalação concluída",
    // 44: licence page caption.
    "Contrato de licença",
    // 45: licence page accept button.
    "&Aceito",
    // 46: licence page decline button.
    "&Não aceito",
    // 47: licence page text.
    "Leia atentamente o contrato de licença a seguir:",
    // 48: Next button.
    "&Avançar >",
    // 49: Cancel button.
    "Cancelar",
    // 50: readme page caption.
    "Leia-me",
    // 51: readme page text.
    "Leia as informações a seguir:",
    // 52: Browse button.
    "&Procurar...",
    // 53: uninstall confirmation question.
    "Deseja remover <product> e todos os seus componentes deste computador?",
    // 54: progress caption and status while installing files.
    "Instalando <product>...",
    // 55: caption of the uninstaller's boxes and progress page.
    "Remover <product>",
    // 56: font removal question; %s = the font file.
    "Remover a fonte %s?",
    // 57: caption of that question.
    "Remover fonte",
    // 58: a file could not be deleted (path and error follow).
    "Não foi possível excluir o arquivo",
    // 59: shared-file removal question; %s = the path.
    "O arquivo compartilhado\r\n"
    "%s\r\n"
    "talvez não seja mais usado por nenhum programa. Deseja removê-lo?",
    // 60: not used.
    "",
    // 61: this Windows version is excluded; %s = the system's name.
    "<product> não pode ser instalado em %s.",
    // 62: status while the payload is checked.
    "Verificando os dados da instalação...",
    // 63: extra licence text per language; empty means none.
    "",
    // 64: extra readme text per language; empty means none.
    "",
    // 65: greeting caption and close-program question caption.
    "Instalação de <product>",
    // 66: destination on a network path is refused.
    "Escolha uma pasta em uma unidade local, não na rede.",
    // 67: uninstall status: fonts.
    "Removendo fontes...",
    // 68: uninstall status: log file.
    "Removendo o log de instalação...",
    // 69: uninstall status: registry.
    "Removendo entradas do Registro...",
    // 70: uninstall status: file associations.
    "Restaurando associações de arquivos...",
    // 71: progress page title while uninstalling.
    "Removendo <product>",
    // 72: upgrade confirmation question.
    "Uma versão mais antiga de <product> será atualizada. Deseja continuar?",
    // 73: destination is not writable; %s = the folder.
    "Não é possível gravar arquivos em\r\n"
    "%s\r\n"
    "Escolha outra pasta.",
    // 74: restart question after uninstallation.
    "É necessário reiniciar o computador para concluir a remoção de <product>. Reiniciar "
    "agora?",
    // 75: password page caption.
    "Senha",
    // 76: password page text.
    "Esta instalação é protegida por senha.",
    // 77: progress text while registering; "<file>" is the item.
    "Registrando <file>...",
    // 78: progress text while writing registry entries.
    "Gravando entradas do Registro...",
    // 79: Yes button.
    "&Sim",
    // 80: No button.
    "&Não",
    // 81: wrong bitness; %d = the product's bitness (32 or 64).
    "Esta é uma edição de %d bits de <product>; ela não pode ser instalada neste sistema.",
    // 82: language page text.
    "Escolha o idioma da instalação:",
    // 83: summary check box: open the first finish document.
    "Mostrar o arquivo Leia-me",
    // 84: summary check box: start the program.
    "Iniciar <product> agora",
    // 85: summary check box: open the log.
    "Mostrar o log de instalação",
    // 86: name of the log shortcut.
    "Log de instalação de <product>",
    // 87: summary check box: open the second finish document.
    "Visitar o site de <product>",
    // 88: start-menu page text and browser prompt.
    "Escolha a pasta do menu Iniciar para os atalhos de <product>:",
    // 89: start-menu page caption.
    "Pasta do menu Iniciar",
    // 90: Install button on the last page before installing.
    "&Instalar",
    // 91: another installer is running.
    "Outra instalação já está em andamento. Aguarde até que ela termine.",
    // 92: label of the space required.
    "Espaço necessário:",
    // 93: label of the space free.
    "Espaço disponível:",
    // 94: language page caption.
    "Idioma",
    // 95: Finish button.
    "&Concluir",
    // 96: drive refused; %s = the drive letter.
    "A unidade %s não pode ser usada para esta instalação. Escolha outra unidade.",
    // 97: status while a restore point is made.
    "Criando um ponto de restauração do sistema...",
    // 98: installation cancelled.
    "A instalação de <product> foi cancelada.",
    // 99: a program must be closed; %s = the program's name.
    "%s ainda está em execução. Feche-o e clique em Repetir.",
    // 100: Retry button.
    "&Repetir",
    // 101: uninstallation cancelled.
    "A remoção de <product> foi cancelada.",
    // 102: wrong password.
    "Essa senha não está correta. Tente novamente.",
    // 103: greeting subheading of the banner variant.
    "Bem-vindo",
    // 104: Uninstall button.
    "&Desinstalar",
    // 105: greeting link; the first "<a>" becomes the link.
    "<a>Saiba mais sobre <product></a>",
    // 106: downgrade refused; %s = the lowest version allowed.
    "Uma versão mais recente de <product> está instalada; versões anteriores à %s não "
    "podem substituí-la.",
    // 107: uninstall: a program must be closed; %s = the program's name.
    "%s ainda está em execução. Feche-o e clique em Repetir.",
    // 108: uninstall status: installer packages.
    "Removendo pacotes do instalador...",
    // 109: support offer text.
    "Está com problemas com <product>? Nossa equipe de suporte talvez possa ajudar antes "
    "que você o remova.",
    // 110: support offer button and caption.
    "Obter suporte",
    // 111: caption of the cancel notice.
    "Cancelado",
    // 112: required product too old; %s = the version needed, %s = its name.
    "<product> requer a versão %s ou posterior de %s.",
    // 113: status before the installation folders are made.
    "Preparando a instalação...",
};

}  // namespace ks::builder
