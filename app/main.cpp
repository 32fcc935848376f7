#include "app/application.h"

int main(int argc, char** argv)
{
    CNorvApp app;
    return app.Run(argc, argv);
}
