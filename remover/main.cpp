#include <memory>

#include "common/UnitApplication.h"
#include "remover/UnitMain.h"

int main(int argc, char** argv)
{
    return RunProgram(argc, argv, QStringLiteral("Quistel"), [] { return std::make_unique<TFormMain>(); });
}
