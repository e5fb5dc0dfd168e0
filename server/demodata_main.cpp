#include "server/demo/demo_main.h"

int main(int argc, char **argv)
{
    return appserver::demo::runDemoData(std::vector<std::string>(argv + 1, argv + argc));
}
