# The busy input script of the whole-game benchmarks (sourced by scripts/bench.sh
# and scripts/bench-web.sh), for LENGTH ms: start, every weapon, the spark trail
# and the autopilot on, fire held; every 3 s a new click (a restart when the
# ship is down) and a missile.
busy_script() {
  echo "300 move 512 600"; echo "400 ldown"; echo "450 lup"
  local t=3500
  for k in 0x42 0x53 0x57 0x32 0x33 0x46; do echo "$t key $k"; t=$((t + 10)); done
  echo "3600 key 0x41"; echo "3700 ldown"
  for ((t = 6000; t < $1; t += 3000)); do
    echo "$t lup"; echo "$((t + 20)) ldown"; echo "$((t + 40)) rdown"; echo "$((t + 45)) rup"
  done
}
