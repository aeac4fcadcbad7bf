// The program's icon, drawn once: a tick mark on a round green ground.
#pragma once

#include <QIcon>

namespace woodtick {

QIcon ProgramIcon();

}  // namespace woodtick
