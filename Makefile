# make run   installs what is missing, builds, starts the program (console runner without a display)
# make test  installs what is missing, builds, runs every test, then again under ASan + UBSan,
#            then fuzzes the result file reader for 30 s (a small clang build of its own)
# make build builds only; make bench runs the benchmarks of our own code paths (bench/startup.sh
#            among them: start-up over large result folders, under a virtual X server)
# make install  installs both programs, their manual pages, the desktop entry and the fleet
#               playbook under PREFIX (default /usr/local, with sudo when not root), so
#               korvex2 and korvex2-console are on the path
# make package  builds the Debian packages build/korvex2-console_<version>-1_<arch>.deb (the
#               console runner, no Qt) and build/korvex2_<version>-1_<arch>.deb (CPack)
# make format-check  fails when a tracked C++ file differs from what clang-format makes of it
#                    (.clang-format); `clang-format -i FILE` formats one
# make screenshot  runs the program under a virtual display and saves its windows as PNGs in
#                  build/screenshots/

# The make that cmake --build runs inherits this, so the build prints no "Entering directory"
# lines.
MAKEFLAGS += --no-print-directory

BUILD_DIR := build
SANITIZE_DIR := build-sanitize
FUZZ_DIR := build-fuzz
JOBS := $(shell nproc)
PREFIX := /usr/local
SUDO := $(if $(filter 0,$(shell id -u)),,sudo)

.PHONY: deps configure build run install test test-sanitized test-fuzz bench screenshot \
	package format-check

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ] && [ -x $(BUILD_DIR)/korvex2 ]; then \
		$(BUILD_DIR)/korvex2; \
	else \
		$(BUILD_DIR)/korvex2-console; \
	fi

install: build
	@$(SUDO) cmake --install $(BUILD_DIR) --prefix $(PREFIX)

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)
	@$(MAKE) --no-print-directory test-sanitized
	@$(MAKE) --no-print-directory test-fuzz

test-sanitized: deps
	@cmake -S . -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVEX_SANITIZE=ON >/dev/null
	@cmake --build $(SANITIZE_DIR) -j $(JOBS)
	@cd $(SANITIZE_DIR) && ctest --output-on-failure -j $(JOBS)

test-fuzz: deps
	@if command -v clang++ >/dev/null; then \
		cmake -S . -B $(FUZZ_DIR) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
			-DKORVEX_FUZZ=ON >/dev/null && \
		cmake --build $(FUZZ_DIR) -j $(JOBS) && \
		cd $(FUZZ_DIR) && ctest --output-on-failure && \
		echo "Fuzz inputs tried: $$(grep -o '^#[0-9]*' Testing/Temporary/LastTest.log | tail -n 1 | tr -d '#')"; \
	else \
		echo "clang++ not found: the fuzz test is left out"; \
	fi

bench: build
	@for benchmark in $(BUILD_DIR)/bench/*_bench; do [ -x "$$benchmark" ] && "$$benchmark"; done
	@bash bench/placement.sh $(BUILD_DIR)
	@bash bench/startup.sh $(BUILD_DIR)
	@bash bench/disturbance.sh $(BUILD_DIR)
	@bash bench/cores.sh $(BUILD_DIR)
	@bash bench/windowsRun.sh $(BUILD_DIR)
	@bash bench/sameMachine.sh $(BUILD_DIR)
	@bash bench/neighbourHistory.sh $(BUILD_DIR)

format-check: deps
	@git ls-files --error-unmatch '*.cpp' > /dev/null && \
		git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

package: build
	@cd $(BUILD_DIR) && cpack -G DEB

screenshot: build
	@bash scripts/screenshot.sh
	@bash scripts/screenshotResults.sh
