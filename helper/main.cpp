// The background helper program. Its duties (tray icon, taskbar transparency, colour-mode schedule, daily
// wallpaper) are added module by module; for now it starts and ends at once.
int main()
{
    return 0;
}
