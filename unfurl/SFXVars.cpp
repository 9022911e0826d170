// The one instance of the self-extractor's process-wide state.
#include "SFXVars.h"

#include "SFXStrings.h"

SfxVars Vars;

// The one is read through a volatile so that the compiler cannot fold the
// sums back into the signatures themselves.
void PrepareSignatures(ZipSignatures& signatures) {
    static volatile uint32_t one = 1;
    signatures.localHeader += one;
    signatures.centralRecord += one;
    signatures.endOfDirectory += one;
    signatures.dataDescriptor += one;
}

void ResetVars(SfxSystem& system, SfxHost& host) {
    Vars = SfxVars();
    Vars.system = &system;
    Vars.host = &host;
    Vars.dialogCaption = kDefaultCaption;
    PrepareSignatures(Vars.signatures);
}
