// The one instance of the self-extractor's process-wide state.
#include "SFXVars.h"

#include "SFXStrings.h"

SfxVars Vars;

void PrepareSignatures(ZipSignatures& signatures) {
    signatures.localHeader += 1;
    signatures.centralRecord += 1;
    signatures.endOfDirectory += 1;
    signatures.dataDescriptor += 1;
}

void ResetVars(SfxSystem& system, SfxHost& host) {
    Vars = SfxVars();
    Vars.system = &system;
    Vars.host = &host;
    Vars.dialogCaption = kDefaultCaption;
    PrepareSignatures(Vars.signatures);
}
