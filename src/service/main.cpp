// qvset-printer-app: the QV6 printer application (see PrinterApp.h).
#include "service/PrinterApp.h"

int main(int argc, char* argv[]) {
    return qvset::RunPrinterApp(argc, argv);
}
