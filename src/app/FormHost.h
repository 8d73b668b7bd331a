#pragma once

#include "forms/FormHost.h"

namespace qvset::app {

// The program around a Qt window is the one program shell of src/forms.
using FormHost = forms::FormHost;

}  // namespace qvset::app
