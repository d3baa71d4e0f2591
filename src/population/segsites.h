// Finds, lists and stores the segregating sites.
#pragma once

namespace halvik {

void Findsegsites();

}  // namespace halvik
