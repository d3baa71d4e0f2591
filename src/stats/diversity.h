// Whole-sample diversity: Pn and Theta.
#pragma once

namespace halvik {

void Pn();
void Theta();

}  // namespace halvik
