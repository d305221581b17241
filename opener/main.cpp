#include <memory>

#include "common/UnitApplication.h"
#include "opener/UnitMain.h"

int main(int argc, char** argv)
{
    return RunProgram(argc, argv, QStringLiteral("Tervano"), [] { return std::make_unique<TFormMain>(); });
}
