// The overlay after the program image, the certificate table of a signed
// archive, and the header records that follow the overlay's start.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "SFXStructs.h"

// Overlay start of a PE32 image in memory (or a file's bytes); 0 when the
// bytes are no PE32 image or have no sections.
uint32_t FindOverlay(const uint8_t* image, size_t size);

// The certificate table named by a PE32 image's header (the file's first
// bytes); nothing present when the bytes are no PE32 image or unsigned,
// and no entry offset when they have no security entry.
CertificateTable FindCertificateTable(const uint8_t* image, size_t size);

// Destination from "ROOT\KEY PATH\VALUE NAME|SUFFIX"; empty when it fails.
std::string RegistryDestination(const std::string& text);

// Reads and applies the header records at Vars.OverlayStart.
void LoadHeader();
