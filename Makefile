# Front door: `make demo` runs the tool against the simulated sensor,
# `make test` builds and runs every test. Both install what is missing first.
BUILD      ?= build
BUILD_ASAN ?= build-asan
BUILD_FUZZ ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
# Further options for the first configuration of $(BUILD), e.g.
# CMAKE_OPTIONS=-DVANTREL_DEBUG_INFO=OFF (what CI builds with).
CMAKE_OPTIONS ?=
GENERATOR  := $(shell command -v ninja >/dev/null 2>&1 && echo Ninja || echo "Unix Makefiles")

# Debian 12 packages the build, the tests and the demo need (ser2net: the
# network ports' tests and benchmark put it in front of the simulated sensor;
# mosquitto: the publisher's library, the tests' broker and subscriber).
PACKAGES := cmake ninja-build g++ make qt6-base-dev qt6-serialport-dev qt6-qpa-plugins \
            libxkbcommon-dev libgtest-dev fonts-dejavu-core xvfb xauth imagemagick ser2net \
            pkg-config libmosquitto-dev mosquitto mosquitto-clients openssl
# What `make fuzz` needs besides: clang and its libFuzzer and sanitizer runtimes.
FUZZ_PACKAGES := clang libclang-rt-14-dev
# What `make package` and `make package-check` need besides: the Debian package
# tools and the checkers of the desktop entry and the software centre's data.
PACKAGE_PACKAGES := dpkg-dev lintian desktop-file-utils appstream

.PHONY: all build deps test test-asan test-asan-ci demo bench bench-quick soak package package-check clean golden

all: build

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -z "$$missing" ]; then exit 0; fi; \
	echo "Missing Debian packages:$$missing"; \
	if [ "$$(id -u)" != 0 ]; then \
	  echo "Not root: install them with  sudo make deps  (or sudo apt-get install$$missing)"; exit 1; \
	fi; \
	export DEBIAN_FRONTEND=noninteractive; \
	apt-get update -qq && apt-get install -y -qq --no-install-recommends $$missing

build: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -G "$(GENERATOR)" $(CMAKE_OPTIONS)

test: deps
	@$(MAKE) --no-print-directory build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) --timeout 120

# Writes the operator scenarios' transcripts anew (tests/scenarios/golden)
# after a deliberate change; review `git diff tests/scenarios` before committing.
golden: deps
	@$(MAKE) --no-print-directory build
	VANTREL_REWRITE_GOLDEN=1 QT_QPA_PLATFORM=offscreen $(BUILD)/tests/e2e_tests --gtest_filter='Operator/Scenarios*'

# The same tests built with AddressSanitizer and UndefinedBehaviorSanitizer;
# ASAN_TESTS names test groups to build and run instead of all of them.
ASAN_TESTS ?=
# CI's choice: the groups over the code that takes bytes and files from outside
# (frames, replies, a network port's Telnet, traces, backups, parameter files,
# the command line), which builds without the widget engine. The widget groups
# (e2e_tests, engine_tests, unit_tests, sets_ui_tests) under the sanitizers
# double the build: run them with `make test-asan` before a release.
ASAN_CI_TESTS := protocol_tests netport_tests sim_tests monitor_tests fields_tests ports_tests \
                 watch_tests sets_tests cli_tests publish_tests
test-asan: deps
	cmake -S . -B $(BUILD_ASAN) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Debug -DVANTREL_SANITIZE=ON -DVANTREL_BENCH=OFF
	cmake --build $(BUILD_ASAN) -j $(JOBS) $(if $(ASAN_TESTS),--target $(ASAN_TESTS))
	ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(BUILD_ASAN) --output-on-failure -j $(JOBS) --timeout 240 \
	  $(if $(ASAN_TESTS),-R '^($(subst $() ,|,$(strip $(ASAN_TESTS))))\.')

test-asan-ci:
	@$(MAKE) --no-print-directory test-asan ASAN_TESTS="$(ASAN_CI_TESTS)"

# Each libFuzzer target for FUZZ_SECONDS against its seed corpus; stops at the
# first finding.
fuzz: deps
	@$(MAKE) --no-print-directory deps PACKAGES="$(FUZZ_PACKAGES)"
	cmake -S . -B $(BUILD_FUZZ) -G "$(GENERATOR)" -DCMAKE_CXX_COMPILER=clang++ \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_FUZZ=ON -DVANTREL_TESTS=OFF -DVANTREL_BENCH=OFF
	cmake --build $(BUILD_FUZZ) -j $(JOBS) --target fuzz_targets
	./scripts/fuzz.sh $(BUILD_FUZZ) $(FUZZ_SECONDS)

demo: deps
	@$(MAKE) --no-print-directory build
	@./scripts/demo.sh $(BUILD)

# Every benchmark runs BENCH_TURNS times and prints one line per figure:
#   name  min 0.984  median 0.990  max 0.993 unit  >=target  ok|MISS
# judged on the median. A figure short of its target prints MISS and does not
# fail; a benchmark that crashes, cannot start or finds nothing to measure
# fails `make bench`. `make bench-quick` runs each once for a few seconds, in
# the same format (CI); `make soak` is the long memory run, not part of either.
BENCH_TURNS ?= 5
bench: deps
	@$(MAKE) --no-print-directory build
	@failed=""; ran=0; \
	for b in $(BUILD)/bench/bench_*; do \
	  case "$$b" in *bench_soak) continue;; esac; \
	  [ -e "$$b" ] || continue; \
	  ran=$$((ran + 1)); echo "== $$(basename $$b)"; \
	  timeout 2700 "$$b" $(BENCH_ARGS) --turns $(BENCH_TURNS) || failed="$$failed $$(basename $$b)"; \
	done; \
	if [ $$ran -eq 0 ]; then \
	  echo "bench: no benchmark in $(BUILD)/bench; configure with -DVANTREL_BENCH=ON"; exit 1; fi; \
	if [ -n "$$failed" ]; then \
	  echo "bench: crashed or could not run:$$failed"; exit 1; fi

bench-quick:
	@$(MAKE) --no-print-directory bench BENCH_ARGS=--quick BENCH_TURNS=1

soak: deps
	@$(MAKE) --no-print-directory build
	@$(BUILD)/bench/bench_soak

# The Debian package, built in the build folder of `make test` (installed under
# /usr): build/vantrel_<version>-1_<arch>.deb.
package: deps
	@$(MAKE) --no-print-directory deps PACKAGES="$(PACKAGE_PACKAGES)"
	@$(MAKE) --no-print-directory $(BUILD)/CMakeCache.txt
	cmake $(BUILD) -DCMAKE_INSTALL_PREFIX=/usr
	cmake --build $(BUILD) -j $(JOBS) --target vantrel vantrel-sim vantrel-cli vantrel_packaging_files
	cd $(BUILD) && cpack -G DEB
	@ls -1 $(BUILD)/vantrel_*.deb

# The package checked as the operator gets it: validated, lint-checked,
# installed, run against the installed simulator, ended, purged (as root).
package-check: package
	./scripts/package_check.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_FUZZ)
