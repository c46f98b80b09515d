#include <QRVPFuncs.h>

#include <stdio.h>

int main(void)
{
    VersionInfo info;
    GetVersionInfo(&info);
    printf("%d.%d.%d.%d\n", (int)info.Major, (int)info.Minor, (int)info.Release, (int)info.Build);
    return info.Major == 3 && info.Build == 664 && IsZero(0.0, 1.0) == 1 ? 0 : 1;
}
