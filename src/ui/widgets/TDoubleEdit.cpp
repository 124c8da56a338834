#include "ui/widgets/TDoubleEdit.h"

namespace Widgets {

TDoubleEdit::TDoubleEdit(QWidget* parent) : TNumberEdit(false, parent) {}

} // namespace Widgets
