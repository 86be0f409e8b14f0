# 500001 links: 2000 sources with 250 targets each, then one more.
awk 'BEGIN { print "(2I5,I3)"; for (i = 1; i <= 2000; i++) for (k = 0; k < 250; k++) printf "%5d%5d%3d\n", i, 1 + (i + k * 8) % 2000, 1; printf "%5d%5d%3d\n", 2000, 1, 1 }' > big.dat
