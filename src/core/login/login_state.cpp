#include "login/login_state.h"

namespace tcm {

LoginState& loginState() {
  static LoginState state;
  return state;
}

}  // namespace tcm
