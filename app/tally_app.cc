#include "app/tally_app.h"

#include <QFile>

#include "app/main_dialog.h"

namespace woodtick {

std::string TallyApp::CommandLineFile(const QStringList& arguments) {
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (argument.isEmpty() || argument.startsWith(QLatin1Char('-'))) continue;
    return QFile::encodeName(argument).toStdString();
  }
  return {};
}

int TallyApp::Run(const QStringList& arguments) {
  MainDialog::Options options;
  options.command_line_file = CommandLineFile(arguments);
  MainDialog main_dialog(options);
  main_dialog.Initialise();
  main_dialog.exec();
  return 0;
}

}  // namespace woodtick
