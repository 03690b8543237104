// A plain program, no installer: what the scanner lists as of unknown kind.
int main()
{
    return 0;
}
