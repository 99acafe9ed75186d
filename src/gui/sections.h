// The sections of the window, as the top bar's buttons show them.
#pragma once

namespace vireta {

enum class Section { Inicio, Preguntas, Final, Gardar };

} // namespace vireta
