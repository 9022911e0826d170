// The stub's own texts, in code page 1252, used byte for byte.
#pragma once

constexpr const char* kDefaultCaption = "Scrollix SFX";
constexpr const char* kErrorCaption = "Error...";
constexpr const char* kMsgCorrupt = "Archivo corrupto, prueba a descargar el archivo otra vez.";
constexpr const char* kMsgReadError = "Error leyendo archivo ><";
constexpr const char* kMsgWriteError = "Error escribiendo ><";
constexpr const char* kMsgCrcError = "Error de CRC32 en ><";
constexpr const char* kMsgFolderError = "Error en directorio ><";
constexpr const char* kMsgUnknownMethod = "Tipo de compresi\xf3n desconocida";
constexpr const char* kMsgCannotClose = "No se puede cerrar ><";
constexpr const char* kMsgCannotOpen = "No se puede abrir ><";
constexpr const char* kMsgInsertVolume = "Por favor, inserte el volumen >< en la unidad ><";
constexpr const char* kVolumeLabelPrefix = "PKBACK# ";
constexpr const char* kStagingPrefix = "SFX";
constexpr const char* kPlaceholder = "><";
constexpr const char* kVolatileMarker = "<VOLATILE>";
constexpr const char* kVolatilePrefix = "sfx";
