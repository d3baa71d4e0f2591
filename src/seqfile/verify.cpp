#include "seqfile/verify.h"

namespace halvik {

void Verifysequences() {}

}  // namespace halvik
