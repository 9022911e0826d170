// The stub's own texts, in UTF-8, used byte for byte.
#pragma once

constexpr const char* kDefaultCaption = "Scrollix SFX";
constexpr const char* kErrorCaption = "Error...";
constexpr const char* kMsgCorrupt = "Archivo corrupto, prueba a descargar el archivo otra vez.";
constexpr const char* kMsgReadError = "Error leyendo archivo ><";
constexpr const char* kMsgWriteError = "Error escribiendo ><";
constexpr const char* kMsgCrcError = "Error de CRC32 en ><";
constexpr const char* kMsgFolderError = "Error en directorio ><";
constexpr const char* kMsgUnknownMethod = "Tipo de compresi\xc3\xb3n desconocida";
constexpr const char* kMsgCannotClose = "No se puede cerrar ><";
constexpr const char* kMsgCannotOpen = "No se puede abrir ><";
constexpr const char* kMsgInsertVolume = "Por favor, inserte el volumen >< en la unidad ><";
constexpr const char* kVolumeLabelPrefix = "PKBACK# ";
constexpr const char* kStagingPrefix = "SFX";
constexpr const char* kPlaceholder = "><";
constexpr const char* kVolatileMarker = "<VOLATILE>";
constexpr const char* kVolatilePrefix = "sfx";

// The main dialog and its questions.
constexpr const char* kMsgAllExtracted = "Se han extraido todos los archivos.";
constexpr const char* kDoneCaption = "Terminado.";
constexpr const char* kMsgSomeNotExtracted = "No se han podido extraer algunos archivos.";
constexpr const char* kMsgSelectedNotExtracted = "No se pueden extraer los archivos seleccionados.";
constexpr const char* kMsgAskCancel = "\xc2\xbfQuieres cancelar la extracci\xc3\xb3n?";
constexpr const char* kAboutCaption = "Acerca de Scrollix SFX...";
constexpr const char* kAboutText =
    "Scrollix SFX 1.0\r\n\r\nPrograma autoextra\xc3\xad" "ble: descomprime los archivos que "
    "lleva dentro en la carpeta elegida.";
constexpr const char* kBrowseTitle = "Elige el directorio de destino";
constexpr const char* kFileExistsText = ">< ya existe, \xc2\xbf sobreescribirlo ?";
constexpr const char* kPasswordCaption = "Contrase\xc3\xb1" "a para ><:";
constexpr const char* kColumnName = "Nombre";
constexpr const char* kColumnSize = "Tama\xc3\xb1o";
constexpr const char* kTicksVariable = "TICKS";

// The command after extraction: run check box and failure texts (the first
// of each pair is used for an ".inf" file), and the install commands.
constexpr const char* kRunPromptInf = "Despu\xc3\xa9s de extraer, ejecutar: >< ><";
constexpr const char* kRunPromptOther = "Despu\xc3\xa9s de extraer, instalar: >< ><";
constexpr const char* kRunFailedInf = "No se puede ejecutar >< ><";
constexpr const char* kRunFailedOther = "No se puede instalar >< ><";
constexpr const char* kInstallInfNt = "rundll32.exe setupapi.dll,InstallHinfSection DefaultInstall 132 ";
constexpr const char* kInstallInfOther = "rundll.exe setupapi.dll,InstallHinfSection DefaultInstall 132 ";
constexpr const char* kRunOnceKey = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr const char* kRemoveFolderNt = "cmd.exe /c @rd /s /q \"%temp%\\";
constexpr const char* kRemoveFolderNtTail = "\">nul 2>nul";
constexpr const char* kRemoveFolderOther = "command.com /c deltree /y \"%temp%\\";
constexpr const char* kRemoveFolderOtherTail = "\">nul";
