#include "ui/upload_app.h"

int main(int argc, char** argv) {
  tessaro::ui::CUploadApp app(argc, argv);
  app.InitInstance();
  return 0;
}
