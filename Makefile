# Two commands for a newcomer: `make run` and `make test`.
BUILD ?= build
CHECK_BUILD ?= build-check
WEB_BUILD ?= build-web
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: deps configure build run test bench check format format-check fuzz assets screenshots package \
  clean web web-serve

deps:
	@bash scripts/setup-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) > /dev/null

build: configure
	@cmake --build $(BUILD)

run: build
	$(BUILD)/game/kurunoa $(ARGS)

test: build web
	@ctest --test-dir $(BUILD) --output-on-failure -j2

bench: build web
	@for b in $(BUILD)/bench/*/bench_*; do [ -x "$$b" ] && "$$b" --game "$(BUILD)/game" || exit 1; done

# The browser build: the native build prepares the glyph atlas and the decoded
# artwork, emscripten compiles the game, and $(WEB_BUILD)/site is the static site.
web: build
	@cmake --build $(BUILD) --target webdata_files webmusic_files
	@NODE_PATH=/usr/share/nodejs emcmake cmake -S web -B $(WEB_BUILD) -G Ninja \
	  -DWEBDATA=$(abspath $(BUILD))/webdata > /dev/null
	@NODE_PATH=/usr/share/nodejs cmake --build $(WEB_BUILD)

web-serve: web
	@echo "Kurunoa at http://127.0.0.1:8000/"
	@python3 -m http.server 8000 --bind 127.0.0.1 --directory $(WEB_BUILD)/site

# Sanitizer build: the whole suite under AddressSanitizer and UBSan, then the
# soak of fifty years under the sanitizers, and again in the plain build with
# the memory check (the sanitizers' bookkeeping grows by itself).
check: build format-check
	@cmake -S . -B $(CHECK_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKURUNOA_SANITIZE=ON > /dev/null
	@cmake --build $(CHECK_BUILD)
	@ctest --test-dir $(CHECK_BUILD) --output-on-failure -j2
	@$(CHECK_BUILD)/tests/soak/soak $(CHECK_BUILD)/game/kurunoa $(CHECK_BUILD)/game/da 50 --no-memory-check
	@$(BUILD)/tests/soak/soak $(BUILD)/game/kurunoa $(BUILD)/game/da 50

# The tracked sources as clang-format lays them out (`make format` applies it).
SOURCES = git ls-files '*.cpp' '*.h'

format:
	@$(SOURCES) | xargs clang-format -i

format-check:
	@if command -v clang-format > /dev/null; then \
	  $(SOURCES) | xargs clang-format --dry-run -Werror; \
	else echo "format-check: clang-format is not installed; skipped"; fi

# libFuzzer runs (clang): every target for FUZZ_SECONDS, inputs up to
# 256 KB (a register of 999 graduates is about 160 KB); new findings grow
# corpora under $(FUZZ_BUILD), the committed corpus is only read.
fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DKURUNOA_FUZZ=ON -DKURUNOA_SANITIZE=ON > /dev/null
	@cmake --build $(FUZZ_BUILD)
	@test -s $(FUZZ_BUILD)/fuzz_targets.txt || { echo "fuzz: no targets were built"; exit 1; }
	@while read -r name binary corpus; do \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$name; \
	  echo "fuzz: $$name for $(FUZZ_SECONDS) s"; \
	  $$binary -max_total_time=$(FUZZ_SECONDS) -max_len=262144 -print_final_stats=1 \
	    $(FUZZ_BUILD)/corpus/$$name $$corpus < /dev/null || exit 1; \
	done < $(FUZZ_BUILD)/fuzz_targets.txt

screenshots: build
	@bash scripts/screenshots.sh $(BUILD)/game docs/screenshots

# A Debian package in $(BUILD)/: kurunoa_VERSION_ARCH.deb.
package: build
	@cd $(BUILD) && cpack -G DEB > /dev/null && ls -1 $$PWD/kurunoa_*.deb

assets: configure
	@cmake --build $(BUILD) --target assets

clean:
	rm -rf $(BUILD) $(CHECK_BUILD) $(FUZZ_BUILD) $(WEB_BUILD)
