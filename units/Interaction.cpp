#include "units/Interaction.h"

namespace velm {

TInteraction& Interaction() {
  static TInteraction interaction;
  return interaction;
}

}  // namespace velm
