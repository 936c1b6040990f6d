// Program entry: hands over to WinMain, whose result is the exit code.
int WinMain(int argc, char** argv);

int main(int argc, char** argv) {
  return WinMain(argc, argv);
}
