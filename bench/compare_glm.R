# Fits the dyad table written by `tarnwick_bench table` with R's glm and compares with Tarnwick.
# Arguments: TABLE (the path without .bin/.txt), ESTIMATES (Tarnwick's, one per line, all
# digits), TARNWICK_SECONDS, TARNWICK_MEGABYTES (median whole run and peak memory of Tarnwick).
args <- commandArgs(trailingOnly = TRUE)
table <- args[1]
estimates <- scan(args[2], quiet = TRUE)
tarnwick_seconds <- as.numeric(args[3])
tarnwick_mb <- as.numeric(args[4])

peak_mb <- function() {
  status <- readLines("/proc/self/status")
  line <- status[grepl("^VmHWM:", status)]
  as.numeric(gsub("[^0-9]", "", line)) / 1024
}

header <- readLines(paste0(table, ".txt"))
dims <- as.numeric(strsplit(header[1], " ")[[1]])
columns <- strsplit(header[2], " ")[[1]]
start <- proc.time()[["elapsed"]]
values <- readBin(paste0(table, ".bin"), what = "integer", n = dims[1] * dims[2], size = 4)
dyads <- as.data.frame(matrix(values, ncol = dims[2], byrow = TRUE))
rm(values)
names(dyads) <- columns
read_seconds <- proc.time()[["elapsed"]] - start
read_mb <- peak_mb()

start <- proc.time()[["elapsed"]]
fit <- glm(y ~ 0 + ., family = binomial, data = dyads)
glm_seconds <- proc.time()[["elapsed"]] - start
glm_mb <- peak_mb()

difference <- max(abs(unname(coef(fit)) - estimates))
cat(sprintf("dyads %d, parameters %d, glm iterations %d, converged %s\n", dims[1], dims[2] - 1,
            fit$iter, fit$converged))
cat(sprintf("R glm:    %8.3f s (reading the table took %.3f s more)   peak %8.1f MB (%.1f MB after reading)\n",
            glm_seconds, read_seconds, glm_mb, read_mb))
cat(sprintf("Tarnwick: %8.3f s (whole run: read, fit, report)      peak %8.1f MB\n",
            tarnwick_seconds, tarnwick_mb))
cat(sprintf("Tarnwick is %.1f times faster than glm alone and uses %.1f times less memory\n",
            glm_seconds / tarnwick_seconds, glm_mb / tarnwick_mb))
cat(sprintf("largest difference between the estimates: %.3g\n", difference))
print(data.frame(column = columns[-1], glm = unname(coef(fit)), tarnwick = estimates,
                 difference = unname(coef(fit)) - estimates), digits = 10, row.names = FALSE)
