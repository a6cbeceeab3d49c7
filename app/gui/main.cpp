#include "app/gui/converter_app.h"

int main(int argc, char** argv) {
  gui::CConverterApp app(argc, argv);
  return app.initInstance();
}
