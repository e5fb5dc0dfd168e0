#include "server/process/server_main.h"

int main(int argc, char **argv)
{
    return appserver::runServer(std::vector<std::string>(argv + 1, argv + argc));
}
