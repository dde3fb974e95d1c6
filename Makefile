# The two commands of the README, plus the benchmark and fuzz runs.
BUILD_DIR ?= build
RUN_DIR ?= $(HOME)/.local/share/tavik
JOBS ?= 2
FUZZ_SECONDS ?= 60
# CI sets WERROR=ON: a warning then fails the build.
WERROR ?= OFF

.PHONY: deps configure build test test-sanitize run install bench fuzz format-check clean

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DTAVIK_WARNINGS_AS_ERRORS=$(WERROR) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	@cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The storage, tool and graphics tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, in a build folder of their own: -O1 keeps them
# quick, and without NDEBUG the assertions hold too. Any report fails the run.
# GCC 12 warns falsely about vector::resize to a computed size once the
# sanitizers instrument it (as a string overflow or as array bounds); those
# two warnings are left out here.
SANITIZE_DIR ?= build-sanitize
SANITIZE_FLAGS = -O1 -g -fsanitize=address,undefined -fno-sanitize-recover=all \
    -fno-omit-frame-pointer -Wno-stringop-overflow -Wno-array-bounds
# A tool test preloads a library that fails the folder flush into tavikctl,
# ahead of the sanitizer runtime: the link-order check would refuse it.
test-sanitize: deps
	@cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_BUILD_TYPE= \
	    -DCMAKE_CXX_FLAGS="$(SANITIZE_FLAGS)" \
	    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
	    -DTAVIK_BUILD_BENCH=OFF -DTAVIK_WARNINGS_AS_ERRORS=$(WERROR) >/dev/null
	@cmake --build $(SANITIZE_DIR) -j $(JOBS) --target tavik_storage_tests tavik_tool_tests tavik_graphics_tests
	@cd $(SANITIZE_DIR) && export QT_QPA_PLATFORM=offscreen \
	    ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:verify_asan_link_order=0 \
	    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	    LSAN_OPTIONS=suppressions=$(CURDIR)/fuzz/lsan.supp && \
	    ./tests/storage/tavik_storage_tests --gtest_brief=1 && \
	    ./tests/tools/tavik_tool_tests --gtest_brief=1 && \
	    ./tests/graphics/tavik_graphics_tests --gtest_brief=1

# The catalogue lives beside the executable, so the program is copied into a
# folder that a clean rebuild never deletes.
run: build
	@mkdir -p $(RUN_DIR)
	@cp $(BUILD_DIR)/src/app/tavik $(RUN_DIR)/tavik
	@$(RUN_DIR)/tavik

# The program goes to the same folder as for `make run` (so both share one
# catalogue), with a link in bin, a desktop entry and the icon beside it.
PREFIX ?= $(HOME)/.local
install: build
	@mkdir -p $(RUN_DIR) $(PREFIX)/bin $(PREFIX)/share/applications
	@cp $(BUILD_DIR)/src/app/tavik $(RUN_DIR)/tavik
	@ln -sf $(RUN_DIR)/tavik $(PREFIX)/bin/tavik
	@for size in 16 32 48 256; do \
	    install -Dm644 resources/icons/tavik-$$size.png \
	        $(PREFIX)/share/icons/hicolor/$${size}x$${size}/apps/tavik.png; \
	done
	@sed 's|^Exec=.*|Exec=$(RUN_DIR)/tavik|' resources/tavik.desktop \
	    > $(PREFIX)/share/applications/tavik.desktop
	@echo "Tavik installed in $(RUN_DIR)"

bench: build
	@for b in $(BUILD_DIR)/bench/bench_*; do [ -x "$$b" ] && "$$b"; done

fuzz: deps
	@cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DCMAKE_CXX_COMPILER=clang++-14 -DTAVIK_BUILD_FUZZ=ON \
	    -DTAVIK_BUILD_TESTS=OFF -DTAVIK_BUILD_BENCH=OFF >/dev/null
	@cmake --build build-fuzz -j $(JOBS)
	@for f in build-fuzz/fuzz/fuzz_*; do \
	    echo "== $$f"; \
	    mkdir -p build-fuzz/corpus/$$(basename $$f) build-fuzz/crashes; \
	    LSAN_OPTIONS=suppressions=$(CURDIR)/fuzz/lsan.supp \
	    "$$f" -max_total_time=$(FUZZ_SECONDS) -artifact_prefix=build-fuzz/crashes/ \
	        build-fuzz/corpus/$$(basename $$f) tests/data || exit 1; \
	done

# Every C++ file git knows must be as clang-format would write it.
format-check:
	@git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

clean:
	@rm -rf $(BUILD_DIR) build-fuzz $(SANITIZE_DIR)
