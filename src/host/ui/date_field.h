#pragma once

class QLineEdit;

// Date fields of the forms: typed as the documents write them (RRRR-MM-DD) or picked.
namespace velmora::host {

// A calendar at the end of the field; the day picked is written into it. Answers the field.
QLineEdit* PoleDaty(QLineEdit* e);

}  // namespace velmora::host
